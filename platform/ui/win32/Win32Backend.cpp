// Native windows for the forms of the layer: window classes, the window procedure shared by
// forms and panels, painting of labels, bevels and icons, fonts per DPI, the message loop
// with key preview, modal disabling, thread timers, and the message box as a layer window.
#include "platform/ui/win32/Win32Backend.h"

#include "platform/os/win32/WinApi.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/MessageForm.h"

#include <commctrl.h>
#include <commdlg.h>
#include <winnetwk.h>

#include <algorithm>
#include <tuple>
#include <vector>

namespace {

constexpr int DesignDpi = 96;
constexpr int CheckBoxSize = 13;
constexpr int CheckBoxGap = 4;
constexpr int ComboDropHeight = 200;
constexpr UINT_PTR NoTimer = 0;
const wchar_t* const FormClass = L"VornSetupForm";
const wchar_t* const PanelClass = L"VornSetupPanel";

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

// Functions of newer Windows versions, looked up in user32 (already loaded: no search).
struct TDpiApi {
    GetDpiForWindowFn GetDpiForWindow = nullptr;
    AdjustForDpiFn AdjustWindowRectExForDpi = nullptr;
    TDpiApi() {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        if (!user32) return;
        GetDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
            reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
        AdjustWindowRectExForDpi = reinterpret_cast<AdjustForDpiFn>(
            reinterpret_cast<void*>(GetProcAddress(user32, "AdjustWindowRectExForDpi")));
    }
};

const TDpiApi& DpiApi() {
    static TDpiApi api;
    return api;
}

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : DesignDpi;
}

UINT WindowDpi(HWND hwnd) {
    if (hwnd && DpiApi().GetDpiForWindow) {
        const UINT dpi = DpiApi().GetDpiForWindow(hwnd);
        if (dpi) return dpi;
    }
    return SystemDpi();
}

int Scale(int value, UINT dpi) { return MulDiv(value, static_cast<int>(dpi), DesignDpi); }
int Unscale(int value, UINT dpi) { return MulDiv(value, DesignDpi, static_cast<int>(dpi)); }

COLORREF ColorRef(TColor color) {
    if (color & clSystemColor) return GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color);
}

DWORD FormStyle(const TForm& form) {
    DWORD style = WS_CLIPCHILDREN;
    switch (form.BorderStyle()) {
        case bsNone: style |= WS_POPUP; break;
        case bsSizeable: style |= WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME; break;
        default: style |= WS_POPUP | WS_CAPTION; break;
    }
    if (form.BorderStyle() != bsNone && (form.BorderIcons() & biSystemMenu)) {
        style |= WS_SYSMENU;
        if (form.BorderIcons() & biMinimize) style |= WS_MINIMIZEBOX;
        if (form.BorderIcons() & biMaximize) style |= WS_MAXIMIZEBOX;
    }
    return style;
}

DWORD FormExStyle(const TForm& form, bool main) {
    DWORD ex = WS_EX_CONTROLPARENT;
    if (form.BorderStyle() == bsDialog) ex |= WS_EX_DLGMODALFRAME;
    if (main) ex |= WS_EX_APPWINDOW;
    return ex;
}

RECT FrameFor(DWORD style, DWORD ex, UINT dpi) {
    RECT r{0, 0, 0, 0};
    if (DpiApi().AdjustWindowRectExForDpi)
        DpiApi().AdjustWindowRectExForDpi(&r, style, FALSE, ex, dpi);
    else
        AdjustWindowRectEx(&r, style, FALSE, ex);
    return r;
}

TShiftState CurrentShift() {
    TShiftState shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
    return shift;
}

std::wstring W(const AnsiString& text) { return WinText::Wide(text); }

}  // namespace

// ---- The implementation's state ---------------------------------------------------------

struct TWin32Backend::TImpl {
    HINSTANCE Instance;
    HICON Icon = nullptr;
    std::map<HWND, TForm*> Forms;
    std::map<std::tuple<std::string, int, int, int, UINT>, HFONT> Fonts;
    std::map<UINT_PTR, TTimer*> Timers;
    std::vector<std::vector<HWND>> Disabled;  // per modal loop, the windows it disabled
    bool Applying = false;                    // the backend itself is moving a window
    bool SkipChar = false;                    // the WM_CHAR of a consumed Enter / Esc

    explicit TImpl(HINSTANCE instance) : Instance(instance) {}
    ~TImpl() {
        for (auto& [key, font] : Fonts) DeleteObject(font);
        for (auto& [id, timer] : Timers) KillTimer(nullptr, id);
    }

    HFONT Font(const TFont& font, UINT dpi) {
        const auto key = std::make_tuple(font.Name, font.Height, font.Style, font.Charset, dpi);
        auto it = Fonts.find(key);
        if (it != Fonts.end()) return it->second;
        const HFONT created = CreateFontW(-Scale(font.Height, dpi), 0, 0, 0, (font.Style & fsBold) ? FW_BOLD : FW_NORMAL,
                                          (font.Style & fsItalic) ? TRUE : FALSE, FALSE, FALSE,
                                          static_cast<BYTE>(font.Charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                          DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, W(font.Name).c_str());
        Fonts[key] = created;
        return created;
    }

    static HWND Hwnd(const TControl& c) { return static_cast<HWND>(c.Peer); }
    static HWND FormHwnd(const TForm& f) { return static_cast<HWND>(f.FormPeer); }
    static HWND ParentHwnd(const TControl& c) {
        TWinControl* parent = c.Parent();
        if (!parent) return nullptr;
        if (auto* form = dynamic_cast<TForm*>(parent)) return FormHwnd(*form);
        return Hwnd(*parent);
    }
    UINT Dpi(const TControl& c) const {
        TForm* form = c.Form();
        return form && FormHwnd(*form) ? WindowDpi(FormHwnd(*form)) : SystemDpi();
    }

    TForm* FormOf(HWND hwnd) const {
        auto it = Forms.find(GetAncestor(hwnd, GA_ROOT));
        return it == Forms.end() ? nullptr : it->second;
    }

    void CreateFormWindow(TForm& form);
    void CreateControl(TControl& c);
    void CreateChildren(TWinControl& parent);
    void PlaceControl(TControl& c);
    void PlaceForm(TForm& form);
    void SyncControl(TControl& c, TChange what);
    void FillItems(TControl& c);
    void Paint(TWinControl& owner, HWND hwnd);
    void RelayoutForm(TForm& form);
    LRESULT Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    bool PreTranslate(MSG& msg);
    void Dispatch(MSG& msg);
};

namespace {

TWin32Backend::TImpl* gImpl = nullptr;

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (gImpl) return gImpl->Procedure(hwnd, msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The check list toggles a check on a click in its box and on the space bar.
LRESULT CALLBACK CheckListProcedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* list = reinterpret_cast<TCheckListBox*>(data);
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
        const LRESULT hit = SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lParam);
        const int item = LOWORD(hit);
        const UINT dpi = WindowDpi(hwnd);
        if (HIWORD(hit) == 0 && (static_cast<short>(LOWORD(lParam)) < Scale(CheckBoxSize + CheckBoxGap, dpi) || msg == WM_LBUTTONDBLCLK)) {
            const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
            list->UserToggle(item);
            InvalidateRect(hwnd, nullptr, FALSE);
            return result;
        }
    } else if (msg == WM_CHAR && wParam == L' ') {
        const LRESULT item = SendMessageW(hwnd, LB_GETCURSEL, 0, 0);
        if (item >= 0) {
            list->UserToggle(static_cast<int>(item));
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

// ---- Creating and placing windows -------------------------------------------------------

void TWin32Backend::TImpl::CreateFormWindow(TForm& form) {
    const bool main = Application->MainForm() == &form;
    HWND owner = nullptr;
    if (!main && Application->MainForm() && FormHwnd(*Application->MainForm()))
        owner = FormHwnd(*Application->MainForm());
    const DWORD style = FormStyle(form), ex = FormExStyle(form, main);
    const UINT dpi = SystemDpi();
    const RECT frame = FrameFor(style, ex, dpi);
    HWND hwnd = CreateWindowExW(ex, FormClass, W(form.Caption()).c_str(), style, Scale(form.ScreenLeft(), dpi),
                                Scale(form.ScreenTop(), dpi),
                                Scale(form.ClientWidth(), dpi) + frame.right - frame.left,
                                Scale(form.ClientHeight(), dpi) + frame.bottom - frame.top, owner, nullptr, Instance,
                                nullptr);
    if (!hwnd) throw EOutOfResources("Cannot create a window: " + WinText::ErrorText(GetLastError()));
    form.FormPeer = hwnd;
    Forms[hwnd] = &form;
    if (Icon) {
        SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon));
        SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Icon));
    }
    if (!(form.BorderIcons() & biSystemMenu) || form.BorderStyle() == bsDialog) {
        // A dialog frame shows no icon in its caption, as Windows draws dialogs.
    }
    // The monitor the window lies on decides its scale.
    if (WindowDpi(hwnd) != dpi) PlaceForm(form);
    CreateChildren(form);
}

void TWin32Backend::TImpl::CreateChildren(TWinControl& parent) {
    for (TControl* c : parent.Controls()) {
        if (c->Windowed() && !c->Peer) CreateControl(*c);
        if (auto* wc = dynamic_cast<TWinControl*>(c)) CreateChildren(*wc);
    }
}

void TWin32Backend::TImpl::CreateControl(TControl& c) {
    HWND parent = ParentHwnd(c);
    if (!parent) return;
    const wchar_t* cls = L"STATIC";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD ex = 0;
    switch (c.Kind()) {
        case TControlKind::Edit:
            cls = L"EDIT";
            style |= WS_TABSTOP | ES_AUTOHSCROLL;
            ex = WS_EX_CLIENTEDGE;
            break;
        case TControlKind::Button:
            cls = L"BUTTON";
            style |= WS_TABSTOP | (static_cast<TButton&>(c).Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
            break;
        case TControlKind::Panel:
            cls = PanelClass;
            style |= WS_CLIPCHILDREN;
            ex = WS_EX_CONTROLPARENT;
            break;
        case TControlKind::Memo: {
            auto& memo = static_cast<TMemo&>(c);
            cls = L"EDIT";
            style |= WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL;
            if (memo.ReadOnly) style |= ES_READONLY;
            if (memo.VerticalScrollBar) style |= WS_VSCROLL;
            if (!memo.WordWrap) style |= ES_AUTOHSCROLL | WS_HSCROLL;
            if (memo.WantReturns) style |= ES_WANTRETURN;
            ex = WS_EX_CLIENTEDGE;
            break;
        }
        case TControlKind::CheckListBox:
            cls = L"LISTBOX";
            style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
            ex = WS_EX_CLIENTEDGE;
            break;
        case TControlKind::ListBox:
            cls = L"LISTBOX";
            style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
            ex = WS_EX_CLIENTEDGE;
            break;
        case TControlKind::ComboBox:
            cls = L"COMBOBOX";
            style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
            break;
        case TControlKind::ProgressBar: cls = PROGRESS_CLASSW; break;
        default: return;
    }
    if (c.Visible()) style |= WS_VISIBLE;
    if (!c.Enabled()) style |= WS_DISABLED;
    HWND hwnd = CreateWindowExW(ex, cls, W(c.Kind() == TControlKind::Memo ? AnsiString() : c.Caption()).c_str(), style,
                                0, 0, 0, 0, parent, nullptr, Instance, nullptr);
    if (!hwnd) throw EOutOfResources("Cannot create a control: " + WinText::ErrorText(GetLastError()));
    c.Peer = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&c));
    if (c.Kind() == TControlKind::CheckListBox)
        SetWindowSubclass(hwnd, CheckListProcedure, 1, reinterpret_cast<DWORD_PTR>(&c));
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font(c.Font(), Dpi(c))), FALSE);
    FillItems(c);
    SyncControl(c, TChange::State);
    PlaceControl(c);
}

void TWin32Backend::TImpl::PlaceControl(TControl& c) {
    const UINT dpi = Dpi(c);
    if (!c.Windowed()) {
        if (HWND parent = ParentHwnd(c)) InvalidateRect(parent, nullptr, TRUE);
        return;
    }
    HWND hwnd = Hwnd(c);
    if (!hwnd) return;
    int height = Scale(c.Height(), dpi);
    if (c.Kind() == TControlKind::ComboBox) height = Scale(ComboDropHeight, dpi);
    if (c.Kind() == TControlKind::CheckListBox)
        SendMessageW(hwnd, LB_SETITEMHEIGHT, 0, Scale(static_cast<TCheckListBox&>(c).ItemHeight, dpi));
    MoveWindow(hwnd, Scale(c.Left(), dpi), Scale(c.Top(), dpi), Scale(c.Width(), dpi), height, TRUE);
}

void TWin32Backend::TImpl::PlaceForm(TForm& form) {
    HWND hwnd = FormHwnd(form);
    if (!hwnd) return;
    const UINT dpi = WindowDpi(hwnd);
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    const DWORD ex = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    const RECT frame = FrameFor(style, ex, dpi);
    Applying = true;
    SetWindowPos(hwnd, nullptr, Scale(form.ScreenLeft(), dpi), Scale(form.ScreenTop(), dpi),
                 Scale(form.ClientWidth(), dpi) + frame.right - frame.left,
                 Scale(form.ClientHeight(), dpi) + frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
    Applying = false;
}

void TWin32Backend::TImpl::RelayoutForm(TForm& form) {
    for (TControl* c : form.AllControls()) {
        if (HWND hwnd = Hwnd(*c); hwnd && c->Windowed())
            SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font(c->Font(), Dpi(*c))), FALSE);
        PlaceControl(*c);
    }
    InvalidateRect(FormHwnd(form), nullptr, TRUE);
}

void TWin32Backend::TImpl::FillItems(TControl& c) {
    HWND hwnd = Hwnd(c);
    if (!hwnd) return;
    switch (c.Kind()) {
        case TControlKind::Memo: {
            AnsiString text;
            const auto& lines = static_cast<TMemo&>(c).Lines();
            for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
            SetWindowTextW(hwnd, W(text).c_str());
            break;
        }
        case TControlKind::CheckListBox: {
            auto& list = static_cast<TCheckListBox&>(c);
            SendMessageW(hwnd, LB_RESETCONTENT, 0, 0);
            for (int i = 0; i < list.Count(); ++i)
                SendMessageW(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(list.Item(i)).c_str()));
            break;
        }
        case TControlKind::ListBox:
        case TControlKind::ComboBox: {
            const bool combo = c.Kind() == TControlKind::ComboBox;
            SendMessageW(hwnd, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
            for (const AnsiString& item : static_cast<TListBox&>(c).Items())
                SendMessageW(hwnd, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(item).c_str()));
            break;
        }
        default: break;
    }
}

void TWin32Backend::TImpl::SyncControl(TControl& c, TChange what) {
    if (auto* form = dynamic_cast<TForm*>(&c)) {
        HWND hwnd = FormHwnd(*form);
        if (!hwnd) return;
        if (what == TChange::Text) SetWindowTextW(hwnd, W(form->Caption()).c_str());
        if (what == TChange::Bounds) {
            PlaceForm(*form);
        }
        if (what == TChange::State && form->Visible())
            ShowWindow(hwnd, form->WindowState() == wsMinimized   ? SW_MINIMIZE
                             : form->WindowState() == wsMaximized ? SW_MAXIMIZE
                                                                  : SW_RESTORE);
        return;
    }
    if (!c.Windowed()) {
        if (HWND parent = ParentHwnd(c)) InvalidateRect(parent, nullptr, TRUE);
        return;
    }
    HWND hwnd = Hwnd(c);
    if (!hwnd) {
        if (TForm* form = c.Form(); form && FormHwnd(*form) && ParentHwnd(c)) CreateControl(c);
        return;
    }
    switch (what) {
        case TChange::Bounds: PlaceControl(c); break;
        case TChange::Visible: ShowWindow(hwnd, c.Visible() ? SW_SHOWNA : SW_HIDE); break;
        case TChange::Enabled: EnableWindow(hwnd, c.Enabled()); break;
        case TChange::Font:
            SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font(c.Font(), Dpi(c))), TRUE);
            break;
        case TChange::Text:
            if (c.Kind() == TControlKind::Memo)
                FillItems(c);
            else if (c.Kind() == TControlKind::Edit || c.Kind() == TControlKind::Button)
                SetWindowTextW(hwnd, W(c.Caption()).c_str());
            break;
        case TChange::Items: FillItems(c); break;
        case TChange::Style:
            if (c.Kind() == TControlKind::Button)
                SendMessageW(hwnd, BM_SETSTYLE, static_cast<TButton&>(c).Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                             TRUE);
            break;
        case TChange::State:
            switch (c.Kind()) {
                case TControlKind::ProgressBar: {
                    auto& bar = static_cast<TProgressBar&>(c);
                    SendMessageW(hwnd, PBM_SETRANGE32, static_cast<WPARAM>(bar.Min()), bar.Max());
                    SendMessageW(hwnd, PBM_SETPOS, static_cast<WPARAM>(bar.Position()), 0);
                    break;
                }
                case TControlKind::CheckListBox: InvalidateRect(hwnd, nullptr, FALSE); break;
                case TControlKind::ListBox:
                    SendMessageW(hwnd, LB_SETCURSEL, static_cast<WPARAM>(static_cast<TListBox&>(c).ItemIndex()), 0);
                    break;
                case TControlKind::ComboBox:
                    SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(static_cast<TListBox&>(c).ItemIndex()), 0);
                    break;
                case TControlKind::Memo: {
                    const int pos = static_cast<TMemo&>(c).SelStart();
                    SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(pos), pos);
                    SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
                    break;
                }
                default: break;
            }
            break;
    }
}

// ---- Painting ---------------------------------------------------------------------------

void TWin32Backend::TImpl::Paint(TWinControl& owner, HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    const UINT dpi = WindowDpi(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    if (auto* panel = dynamic_cast<TPanel*>(&owner); panel && panel->BevelOuter != bvNone) {
        RECT r = client;
        for (int i = 0; i < std::max(1, panel->BevelWidth); ++i) {
            DrawEdge(dc, &r, panel->BevelOuter == bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
            InflateRect(&r, -1, -1);
        }
    }
    SetBkMode(dc, TRANSPARENT);
    for (TControl* c : owner.Controls()) {
        if (c->Windowed() || !c->Visible()) continue;
        RECT r{Scale(c->Left(), dpi), Scale(c->Top(), dpi), Scale(c->Left() + c->Width(), dpi),
               Scale(c->Top() + c->Height(), dpi)};
        switch (c->Kind()) {
            case TControlKind::Label: {
                auto* label = static_cast<TLabel*>(c);
                if (!label->Transparent) {
                    HBRUSH brush = CreateSolidBrush(ColorRef(label->Color()));
                    FillRect(dc, &r, brush);
                    DeleteObject(brush);
                }
                HGDIOBJ old = SelectObject(dc, Font(label->Font(), dpi));
                SetTextColor(dc, label->Enabled() ? ColorRef(label->Font().Color) : GetSysColor(COLOR_GRAYTEXT));
                UINT flags = DT_NOPREFIX | DT_EXPANDTABS;
                flags |= label->WordWrap() ? DT_WORDBREAK : DT_SINGLELINE;
                // A label sized to its text may measure a pixel short in some fonts.
                if (label->AutoSize() && !label->WordWrap()) flags |= DT_NOCLIP;
                if (label->Alignment() == taRightJustify) flags |= DT_RIGHT;
                if (label->Alignment() == taCenter) flags |= DT_CENTER;
                const std::wstring text = W(label->Caption());
                DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
                SelectObject(dc, old);
                break;
            }
            case TControlKind::Bevel: {
                auto* bevel = static_cast<TBevel*>(c);
                RECT line = r;
                if (bevel->Shape == bsBottomLine) {
                    line.top = r.bottom - 2;
                    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
                } else if (bevel->Shape == bsTopLine) {
                    line.bottom = r.top + 2;
                    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
                } else {
                    DrawEdge(dc, &line, bevel->Shape == bsFrame ? EDGE_ETCHED : BDR_SUNKENOUTER, BF_RECT);
                }
                break;
            }
            case TControlKind::Icon: {
                const wchar_t* id = nullptr;
                switch (static_cast<TIcon*>(c)->Icon) {
                    case TIconKind::Warning: id = IDI_WARNING; break;
                    case TIconKind::Error: id = IDI_ERROR; break;
                    case TIconKind::Information: id = IDI_INFORMATION; break;
                    case TIconKind::Question: id = IDI_QUESTION; break;
                    default: break;
                }
                if (id) DrawIconEx(dc, r.left, r.top, LoadIconW(nullptr, id), r.right - r.left, r.bottom - r.top, 0, nullptr, DI_NORMAL);
                break;
            }
            default: break;
        }
    }
    EndPaint(hwnd, &ps);
}

// ---- The window procedure ---------------------------------------------------------------

LRESULT TWin32Backend::TImpl::Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TForm* form = nullptr;
    if (auto it = Forms.find(hwnd); it != Forms.end()) form = it->second;
    TWinControl* owner = form;
    if (!owner) owner = dynamic_cast<TWinControl*>(reinterpret_cast<TControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
    switch (msg) {
        case WM_CLOSE:
            if (form) DispatchEvent([&] { form->Close(); });
            return 0;
        case WM_ACTIVATE:
            if (form && LOWORD(wParam) != WA_INACTIVE) {
                if (TControl* active = form->ActiveControl(); active && Hwnd(*active)) SetFocus(Hwnd(*active));
                form->Activate();
            }
            break;
        case WM_PAINT:
            if (owner) {
                Paint(*owner, hwnd);
                return 0;
            }
            break;
        case WM_COMMAND: {
            auto* c = reinterpret_cast<TControl*>(GetWindowLongPtrW(reinterpret_cast<HWND>(lParam), GWLP_USERDATA));
            if (!c || !lParam) break;
            const UINT code = HIWORD(wParam);
            HWND child = reinterpret_cast<HWND>(lParam);
            if (c->Kind() == TControlKind::Button && code == BN_CLICKED) {
                auto* button = static_cast<TButton*>(c);
                DispatchEvent([&] { button->Click(); });
            } else if (c->Kind() == TControlKind::Edit && code == EN_CHANGE) {
                const int length = GetWindowTextLengthW(child);
                std::wstring text(static_cast<size_t>(length) + 1, L'\0');
                GetWindowTextW(child, text.data(), length + 1);
                text.resize(static_cast<size_t>(length));
                AnsiString narrow;
                // A character that CP1251 cannot hold is refused: the field keeps its text.
                if (WinText::TryNarrow(text, narrow))
                    static_cast<TEdit*>(c)->UserSetText(narrow);
                else
                    SetWindowTextW(child, W(c->Caption()).c_str());
            } else if (c->Kind() == TControlKind::ListBox && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
                const int item = static_cast<int>(SendMessageW(child, LB_GETCURSEL, 0, 0));
                auto* list = static_cast<TListBox*>(c);
                if (code == LBN_SELCHANGE)
                    list->UserSelect(item);
                else
                    list->UserOpen(item);
            } else if (c->Kind() == TControlKind::ComboBox && code == CBN_SELCHANGE) {
                static_cast<TListBox*>(c)->UserSelect(static_cast<int>(SendMessageW(child, CB_GETCURSEL, 0, 0)));
            }
            return 0;
        }
        case WM_MEASUREITEM: {
            auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            mis->itemHeight = static_cast<UINT>(Scale(TCheckListBox::DefaultItemHeight, WindowDpi(hwnd)));
            return TRUE;
        }
        case WM_DRAWITEM: {
            auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            auto* list = reinterpret_cast<TCheckListBox*>(GetWindowLongPtrW(dis->hwndItem, GWLP_USERDATA));
            if (!list || dis->itemID == static_cast<UINT>(-1)) return TRUE;
            const int item = static_cast<int>(dis->itemID);
            const UINT dpi = WindowDpi(hwnd);
            const bool selected = dis->itemState & ODS_SELECTED;
            FillRect(dis->hDC, &dis->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
            const int box = Scale(CheckBoxSize, dpi);
            RECT check{dis->rcItem.left + 1, dis->rcItem.top + (dis->rcItem.bottom - dis->rcItem.top - box) / 2, 0, 0};
            check.right = check.left + box;
            check.bottom = check.top + box;
            DrawFrameControl(dis->hDC, &check, DFC_BUTTON,
                             DFCS_BUTTONCHECK | DFCS_FLAT | (item < list->Count() && list->Checked(item) ? DFCS_CHECKED : 0));
            RECT text = dis->rcItem;
            text.left = check.right + Scale(CheckBoxGap, dpi);
            SetBkMode(dis->hDC, TRANSPARENT);
            SetTextColor(dis->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
            HGDIOBJ old = SelectObject(dis->hDC, Font(list->Font(), dpi));
            if (item < list->Count()) {
                const std::wstring caption = W(list->Item(item));
                DrawTextW(dis->hDC, caption.c_str(), static_cast<int>(caption.size()), &text,
                          DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            }
            SelectObject(dis->hDC, old);
            if (dis->itemState & ODS_FOCUS) DrawFocusRect(dis->hDC, &dis->rcItem);
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT: {
            auto* c = reinterpret_cast<TControl*>(GetWindowLongPtrW(reinterpret_cast<HWND>(lParam), GWLP_USERDATA));
            if (c && c->Kind() == TControlKind::Memo) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetBkColor(dc, ColorRef(c->Color()));
                SetTextColor(dc, ColorRef(c->Font().Color));
                SetDCBrushColor(dc, ColorRef(c->Color()));
                return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
            }
            break;
        }
        case WM_SIZE:
            if (form && !Applying && wParam != SIZE_MINIMIZED) {
                const UINT dpi = WindowDpi(hwnd);
                Applying = true;
                form->SetClientSize(Unscale(LOWORD(lParam), dpi), Unscale(HIWORD(lParam), dpi));
                Applying = false;
                InvalidateRect(hwnd, nullptr, TRUE);
            }
            break;
        case WM_MOVE:
            if (form && !Applying && !IsIconic(hwnd)) {
                RECT r;
                GetWindowRect(hwnd, &r);
                const UINT dpi = WindowDpi(hwnd);
                Applying = true;
                form->SetScreenPos(Unscale(r.left, dpi), Unscale(r.top, dpi));
                Applying = false;
            }
            break;
        case WM_GETMINMAXINFO:
            if (form && (form->MinWidth || form->MinHeight)) {
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                const UINT dpi = WindowDpi(hwnd);
                info->ptMinTrackSize.x = Scale(form->MinWidth, dpi);
                info->ptMinTrackSize.y = Scale(form->MinHeight, dpi);
                return 0;
            }
            break;
        case WM_DPICHANGED:
            if (form) {
                const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
                Applying = true;
                SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                             suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
                Applying = false;
                RelayoutForm(*form);
                return 0;
            }
            break;
        default: break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// ---- The message loop -------------------------------------------------------------------

bool TWin32Backend::TImpl::PreTranslate(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN && msg.message != WM_CHAR) return false;
    HWND top = GetAncestor(msg.hwnd, GA_ROOT);
    TForm* form = FormOf(msg.hwnd);
    if (!form) return false;
    // A window disabled by a modal one takes no keys.
    if (!IsWindowEnabled(top)) return true;
    if (auto* focused = reinterpret_cast<TControl*>(GetWindowLongPtrW(GetFocus(), GWLP_USERDATA));
        focused && focused->Form() == form && focused->Windowed())
        form->SetActiveControl(focused);
    if (msg.message == WM_CHAR) {
        const bool skip = SkipChar;
        SkipChar = false;
        if (skip && (msg.wParam == L'\r' || msg.wParam == 27)) return true;
        const int ch = UnicodeToCp1251(static_cast<char32_t>(msg.wParam));
        if (ch >= 0 && form->KeyPress(static_cast<char>(ch))) return true;
        // Enter and Esc in a single-line field would only beep.
        if (msg.wParam == L'\r' || msg.wParam == 27) {
            auto* c = reinterpret_cast<TControl*>(GetWindowLongPtrW(msg.hwnd, GWLP_USERDATA));
            if (!c || c->Kind() != TControlKind::Memo || !static_cast<TMemo*>(c)->WantReturns) return true;
        }
        return false;
    }
    const auto key = static_cast<uint16_t>(msg.wParam);
    if (key == VK_TAB) return IsDialogMessageW(top, &msg) != FALSE;
    if (form->KeyDown(key, CurrentShift())) {
        SkipChar = true;
        return true;
    }
    return false;
}

void TWin32Backend::TImpl::Dispatch(MSG& msg) {
    if (msg.message == WM_TIMER && !msg.hwnd) {
        auto it = Timers.find(msg.wParam);
        if (it != Timers.end()) it->second->Fire();
        return;
    }
    if (!PreTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// ---- TWin32Backend ----------------------------------------------------------------------

TWin32Backend::TWin32Backend(void* instance) : FImpl(std::make_unique<TImpl>(static_cast<HINSTANCE>(instance))) {
    gImpl = FImpl.get();
    FImpl->Icon = static_cast<HICON>(LoadImageW(FImpl->Instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProcedure;
    wc.hInstance = FImpl->Instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.hIcon = FImpl->Icon;
    wc.lpszClassName = FormClass;
    RegisterClassExW(&wc);
    wc.hIcon = nullptr;
    wc.lpszClassName = PanelClass;
    RegisterClassExW(&wc);
}

TWin32Backend::~TWin32Backend() {
    for (auto& [hwnd, form] : FImpl->Forms) {
        form->FormPeer = nullptr;
        DestroyWindow(hwnd);
    }
    gImpl = nullptr;
}

TSize TWin32Backend::MeasureText(const TFont& font, const AnsiString& text, int wrapWidth) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, FImpl->Font(font, DesignDpi));
    const std::wstring wide = W(text.empty() ? AnsiString(" ") : text);
    RECT r{0, 0, wrapWidth > 0 ? wrapWidth : 0, 0};
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r,
              DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return {text.empty() ? 0 : static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top)};
}

TSize TWin32Backend::FrameExtent(TFormBorderStyle style, int borderIcons) {
    TForm probe;
    probe.SetBorderStyle(style);
    probe.SetBorderIcons(borderIcons);
    const RECT frame = FrameFor(FormStyle(probe), FormExStyle(probe, false), DesignDpi);
    return {static_cast<int>(frame.right - frame.left), static_cast<int>(frame.bottom - frame.top)};
}

TRect TWin32Backend::ScreenArea(TPosition position) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (position == poScreenCenter) SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const UINT dpi = SystemDpi();
    return {Unscale(area.left, dpi), Unscale(area.top, dpi), Unscale(area.right, dpi), Unscale(area.bottom, dpi)};
}

int TWin32Backend::MessageBox(const TMessageBoxRequest& request) {
    switch (request.Type) {
        case mtError: MessageBeep(MB_ICONHAND); break;
        case mtWarning: MessageBeep(MB_ICONEXCLAMATION); break;
        case mtConfirmation: MessageBeep(MB_ICONQUESTION); break;
        case mtInformation: MessageBeep(MB_ICONASTERISK); break;
        default: break;
    }
    TMessageForm box(request);
    return box.Execute();
}

bool TWin32Backend::OpenFile(const AnsiString& title, const AnsiString& filter, const AnsiString& initialDir,
                             AnsiString& fileName) {
    std::wstring wideFilter = W(filter);
    for (wchar_t& ch : wideFilter)
        if (ch == L'|') ch = L'\0';
    wideFilter.append(2, L'\0');
    std::wstring buffer(MAX_PATH * 4, L'\0');
    const std::wstring start = W(fileName);
    std::copy(start.begin(), start.begin() + static_cast<std::ptrdiff_t>(std::min(start.size(), buffer.size() - 1)),
              buffer.begin());
    const std::wstring wideTitle = W(title), wideDir = W(initialDir);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetActiveWindow();
    ofn.lpstrFilter = wideFilter.c_str();
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrTitle = wideTitle.c_str();
    ofn.lpstrInitialDir = wideDir.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) return false;
    buffer.resize(buffer.find(L'\0'));
    AnsiString narrow;
    if (!WinText::TryNarrow(buffer, narrow)) {
        ::MessageDlg("Имя файла содержит символы, которые программа не может обработать.", mtError, mbOK);
        return false;
    }
    fileName = narrow;
    return true;
}

void TWin32Backend::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            Application->Terminate();
            return;
        }
        FImpl->Dispatch(msg);
    }
}

void TWin32Backend::SetBusyCursor(bool busy) { SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW)); }

void TWin32Backend::ConnectNetworkDrive() { WNetConnectionDialog(GetActiveWindow(), RESOURCETYPE_DISK); }

void TWin32Backend::FormShown(TForm& form) {
    if (!TImpl::FormHwnd(form)) FImpl->CreateFormWindow(form);
    else FImpl->PlaceForm(form);
    HWND hwnd = TImpl::FormHwnd(form);
    ShowWindow(hwnd, form.WindowState() == wsMinimized   ? SW_SHOWMINIMIZED
                     : form.WindowState() == wsMaximized ? SW_SHOWMAXIMIZED
                                                         : SW_SHOWNORMAL);
    SetForegroundWindow(hwnd);
    UpdateWindow(hwnd);
}

void TWin32Backend::FormHidden(TForm& form) {
    if (HWND hwnd = TImpl::FormHwnd(form)) ShowWindow(hwnd, SW_HIDE);
}

void TWin32Backend::FormDestroyed(TForm& form) {
    HWND hwnd = TImpl::FormHwnd(form);
    if (!hwnd) return;
    FImpl->Forms.erase(hwnd);
    form.FormPeer = nullptr;
    for (TControl* c : form.AllControls()) c->Peer = nullptr;
    DestroyWindow(hwnd);
}

void TWin32Backend::ControlChanged(TControl& control, TChange what) {
    if (FImpl->Applying && (what == TChange::Bounds)) {
        // The window itself reported its new size or place: only its children follow.
        if (!dynamic_cast<TForm*>(&control)) FImpl->PlaceControl(control);
        return;
    }
    FImpl->SyncControl(control, what);
}

void TWin32Backend::FocusChanged(TForm& form) {
    TControl* active = form.ActiveControl();
    if (active && TImpl::Hwnd(*active) && TImpl::FormHwnd(form) && GetActiveWindow() == TImpl::FormHwnd(form) &&
        GetFocus() != TImpl::Hwnd(*active))
        SetFocus(TImpl::Hwnd(*active));
}

void TWin32Backend::ModalBegin(TForm& form) {
    std::vector<HWND> disabled;
    for (auto& [hwnd, other] : FImpl->Forms)
        if (other != &form && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
            EnableWindow(hwnd, FALSE);
            disabled.push_back(hwnd);
        }
    FImpl->Disabled.push_back(disabled);
}

void TWin32Backend::ModalEnd(TForm&) {
    if (FImpl->Disabled.empty()) return;
    const std::vector<HWND> disabled = FImpl->Disabled.back();
    FImpl->Disabled.pop_back();
    for (HWND hwnd : disabled)
        if (FImpl->Forms.count(hwnd)) EnableWindow(hwnd, TRUE);
    if (!disabled.empty() && FImpl->Forms.count(disabled.back())) SetActiveWindow(disabled.back());
}

void TWin32Backend::TimerChanged(TTimer& timer) {
    TimerDestroyed(timer);
    if (!timer.Enabled()) return;
    const UINT_PTR id = SetTimer(nullptr, NoTimer, static_cast<UINT>(std::max(1, timer.Interval())), nullptr);
    if (id == NoTimer) return;
    timer.Peer = reinterpret_cast<void*>(id);
    FImpl->Timers[id] = &timer;
}

void TWin32Backend::TimerDestroyed(TTimer& timer) {
    const auto id = reinterpret_cast<UINT_PTR>(timer.Peer);
    if (id == NoTimer) return;
    KillTimer(nullptr, id);
    FImpl->Timers.erase(id);
    timer.Peer = nullptr;
}

void TWin32Backend::HandleMessage(TForm*) {
    if (Application->Terminated()) return;
    MSG msg;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        Application->Terminate();
        return;
    }
    FImpl->Dispatch(msg);
}

void TWin32Backend::TerminateRequested() { PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0); }
