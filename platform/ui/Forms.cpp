// Forms and the application object: the rules of showing, closing and modal loops, key
// routing and the general error report; the backend only waits and renders.
#include "platform/ui/Forms.h"

#include "platform/ui/UiBackend.h"

#include <algorithm>

namespace {
TApplication gApplication;
}

TApplication* const Application = &gApplication;

// ---- TForm ------------------------------------------------------------------------------

TForm::TForm() {
    SetVisible(false);
    TFont font;
    font.SetSize(8);
    SetFont(font);
}

TForm::~TForm() {
    if (OnDestroy) DispatchEvent([&] { OnDestroy(this); });
    UiBackend().FormDestroyed(*this);
    for (TControl* c : AllControls()) UiBackend().ControlDestroyed(*c);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
    FBorderStyle = style;
    Changed(TChange::Style);
}

void TForm::SetBorderIcons(int icons) {
    FBorderIcons = icons;
    Changed(TChange::Style);
}

int TForm::OuterWidth() const { return Width() + UiBackend().FrameExtent(FBorderStyle, FBorderIcons).Width; }
int TForm::OuterHeight() const { return Height() + UiBackend().FrameExtent(FBorderStyle, FBorderIcons).Height; }

void TForm::SetOuterSize(int width, int height) {
    const TSize frame = UiBackend().FrameExtent(FBorderStyle, FBorderIcons);
    SetClientSize(width - frame.Width, height - frame.Height);
}

void TForm::SetScreenPos(int left, int top) {
    FScreenLeft = left;
    FScreenTop = top;
    FPlaced = true;
    Changed(TChange::Bounds);
}

void TForm::SetWindowState(TWindowState state) {
    if (state == FWindowState) return;
    FWindowState = state;
    Changed(TChange::State);
}

void TForm::SetActiveControl(TControl* control) {
    FActiveControl = control;
    UiBackend().FocusChanged(*this);
}

void TForm::TextChanged() {}

void TForm::PlaceOnScreen() {
    if (Position == poDesigned) return;
    const TRect area = UiBackend().ScreenArea(Position);
    FScreenLeft = area.Left + (area.Width() - OuterWidth()) / 2;
    FScreenTop = area.Top + (area.Height() - OuterHeight()) / 2;
    Changed(TChange::Bounds);
}

void TForm::Show() {
    if (Visible()) return;
    PlaceOnScreen();
    if (OnShow) DispatchEvent([&] { OnShow(this); });
    SetVisible(true);
    UiBackend().FormShown(*this);
}

void TForm::Hide() {
    if (!Visible()) return;
    SetVisible(false);
    UiBackend().FormHidden(*this);
    if (OnHide) DispatchEvent([&] { OnHide(this); });
}

void TForm::Activate() {
    if (OnActivate) DispatchEvent([&] { OnActivate(this); });
}

int TForm::ShowModal() {
    if (Visible() || FModal) throw EInvalidOperation("Cannot make a visible window modal");
    ModalResult = mrNone;
    FModal = true;
    UiBackend().ModalBegin(*this);
    Show();
    for (;;) {
        if (Application->Terminated()) {
            ModalResult = mrCancel;
            break;
        }
        if (ModalResult != mrNone) {
            CloseModal();
            if (ModalResult != mrNone) break;
        }
        UiBackend().HandleMessage(this);
    }
    const int result = ModalResult;
    Hide();
    FModal = false;
    UiBackend().ModalEnd(*this);
    return result;
}

bool TForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery && !DispatchEvent([&] { OnCloseQuery(this, canClose); })) return false;
    return canClose;
}

void TForm::DoClose(TCloseAction& action) {
    if (OnClose) DispatchEvent([&] { OnClose(this, action); });
}

void TForm::CloseModal() {
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    if (action == caNone) ModalResult = mrNone;
}

void TForm::Close() {
    if (FModal) {
        ModalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application->MainForm() == this)
        Application->Terminate();
    else if (action == caMinimize)
        SetWindowState(wsMinimized);
    else
        Hide();
}

void TForm::CloseWithoutQuery() {
    TCloseAction action = caHide;
    DoClose(action);
    if (Application->MainForm() == this)
        Application->Terminate();
    else if (FModal)
        ModalResult = mrCancel;
    else
        Hide();
}

bool TForm::KeyDown(uint16_t key, TShiftState shift) {
    if (KeyPreview && OnKeyDown) {
        DispatchEvent([&] { OnKeyDown(this, key, shift); });
        if (key == 0) return true;
    }
    if (key == vkReturn) {
        if (auto* memo = dynamic_cast<TMemo*>(FActiveControl); memo && memo->WantReturns) return false;
        TButton* button = dynamic_cast<TButton*>(FActiveControl);
        if (!button || !button->Showing() || !button->Enabled()) button = DefaultButton();
        if (button) {
            DispatchEvent([&] { button->Click(); });
            return true;
        }
    } else if (key == vkEscape) {
        if (TButton* button = CancelButton()) {
            DispatchEvent([&] { button->Click(); });
            return true;
        }
    }
    return false;
}

bool TForm::KeyPress(char key) {
    if (KeyPreview && OnKeyPress) {
        DispatchEvent([&] { OnKeyPress(this, key); });
        if (key == 0) return true;
    }
    return false;
}

TButton* TForm::DefaultButton() const {
    for (TControl* c : AllControls())
        if (auto* b = dynamic_cast<TButton*>(c); b && b->Default() && b->Showing() && b->Enabled()) return b;
    return nullptr;
}

TButton* TForm::CancelButton() const {
    for (TControl* c : AllControls())
        if (auto* b = dynamic_cast<TButton*>(c); b && b->Cancel && b->Showing() && b->Enabled()) return b;
    return nullptr;
}

namespace {

void Collect(const TWinControl& parent, std::vector<TControl*>& out) {
    for (TControl* c : parent.Controls()) {
        out.push_back(c);
        if (auto* wc = dynamic_cast<TWinControl*>(c)) Collect(*wc, out);
    }
}

bool TakesFocus(const TControl& c) {
    switch (c.Kind()) {
        case TControlKind::Edit:
        case TControlKind::Button:
        case TControlKind::Memo:
        case TControlKind::CheckListBox:
        case TControlKind::ListBox:
        case TControlKind::ComboBox: return true;
        default: return false;
    }
}

void CollectTabs(const TWinControl& parent, std::vector<TControl*>& out) {
    std::vector<TControl*> children = parent.Controls();
    std::stable_sort(children.begin(), children.end(), [](const TControl* a, const TControl* b) {
        const int ta = a->TabOrder < 0 ? 1 << 20 : a->TabOrder;
        const int tb = b->TabOrder < 0 ? 1 << 20 : b->TabOrder;
        return ta < tb;
    });
    for (TControl* c : children) {
        if (!c->Visible() || !c->Enabled()) continue;
        if (auto* wc = dynamic_cast<TWinControl*>(c))
            CollectTabs(*wc, out);
        else if (TakesFocus(*c))
            out.push_back(c);
    }
}

}  // namespace

std::vector<TControl*> TForm::AllControls() const {
    std::vector<TControl*> out;
    Collect(*this, out);
    return out;
}

std::vector<TControl*> TForm::TabOrderList() const {
    std::vector<TControl*> out;
    CollectTabs(*this, out);
    return out;
}

// ---- TApplication -----------------------------------------------------------------------

void TApplication::AddForm(std::unique_ptr<TForm> form) {
    TForm* raw = form.get();
    FForms.push_back(std::move(form));
    if (!FMainForm) FMainForm = raw;
    if (raw->OnCreate) DispatchEvent([&] { raw->OnCreate(raw); });
}

void TApplication::Run() {
    if (FMainForm && !FTerminated) FMainForm->Show();
    while (!FTerminated) HandleMessage();
}

void TApplication::HandleMessage() { UiBackend().HandleMessage(nullptr); }

void TApplication::ProcessMessages() { ::ProcessMessages(); }

void TApplication::Terminate() {
    FTerminated = true;
    UiBackend().TerminateRequested();
}

AnsiString TApplication::ErrorReportText(const AnsiString& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

void TApplication::ShowException(const std::exception& error) {
    MessageBoxDlg(ErrorReportText(error.what()), Title(), mtError, mbOK);
}

void TApplication::DestroyForms() {
    // The other windows first, the newest first, and the main window last.
    while (!FForms.empty()) {
        auto it = FForms.end() - 1;
        if (it->get() == FMainForm && FForms.size() > 1) --it;
        std::unique_ptr<TForm> doomed = std::move(*it);
        FForms.erase(it);
        if (doomed.get() == FMainForm) FMainForm = nullptr;
        doomed.reset();
    }
    FMainForm = nullptr;
    FTerminated = false;
}
