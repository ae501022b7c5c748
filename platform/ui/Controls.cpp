// Controls: state changes reported to the backend, alignment and anchors, auto-sizing.
#include "platform/ui/Controls.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"
#include "platform/ui/UiBackend.h"

#include <algorithm>

bool DispatchEvent(const std::function<void()>& handler) {
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        Application->ShowException(error);
    }
    return false;
}

// ---- TComponent -------------------------------------------------------------------------

TComponent::~TComponent() {
    // Children go in reverse order of creation, so that a control outlives the controls
    // placed on it only where the creation order says so.
    while (!FComponents.empty()) FComponents.pop_back();
}

// ---- TControl ---------------------------------------------------------------------------

TControl::~TControl() {
    if (FParent) FParent->Remove(this);
}

void TControl::Created() {
    if (auto* form = dynamic_cast<TForm*>(Owner())) {
        FFont = form->Font();
        SetParent(form);
    }
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == FParent) return;
    if (FParent) FParent->Remove(this);
    FParent = parent;
    if (FParent) {
        FParent->Insert(this);
        FParent->Realign();
    }
    Changed(TChange::Bounds);
}

TForm* TControl::Form() const {
    for (const TControl* c = this; c; c = c->FParent)
        if (auto* form = dynamic_cast<const TForm*>(c)) return const_cast<TForm*>(form);
    return nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
    FLeft = left;
    FTop = top;
    FWidth = std::max(0, width);
    FHeight = std::max(0, height);
    if (FParent) {
        FRightGap = FParent->ClientWidth() - (FLeft + FWidth);
        FBottomGap = FParent->ClientHeight() - (FTop + FHeight);
        if (FAlign != alNone) FParent->Realign();
    }
    if (auto* self = dynamic_cast<TWinControl*>(this)) self->Realign();
    Changed(TChange::Bounds);
}

TRect TControl::FormRect() const {
    TRect r{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
    for (const TWinControl* p = FParent; p && !dynamic_cast<const TForm*>(p); p = p->Parent()) {
        r.Left += p->Left();
        r.Right += p->Left();
        r.Top += p->Top();
        r.Bottom += p->Top();
    }
    return r;
}

void TControl::SetCaption(const AnsiString& text) {
    if (text == FCaption) return;
    FCaption = text;
    TextChanged();
    Changed(TChange::Text);
}

void TControl::SetVisible(bool visible) {
    if (visible == FVisible) return;
    FVisible = visible;
    if (FParent && FAlign != alNone) FParent->Realign();
    Changed(TChange::Visible);
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->FParent)
        if (!c->FVisible) return false;
    return true;
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    Changed(TChange::Enabled);
}

void TControl::SetFont(const TFont& font) {
    FFont = font;
    TextChanged();
    Changed(TChange::Font);
}

void TControl::SetColor(TColor color) {
    FColor = color;
    Changed(TChange::Font);
}

void TControl::SetAlign(TAlign align) {
    FAlign = align;
    if (FParent) FParent->Realign();
}

void TControl::SetAnchors(int anchors) {
    FAnchors = anchors;
    if (FParent) {
        FRightGap = FParent->ClientWidth() - (FLeft + FWidth);
        FBottomGap = FParent->ClientHeight() - (FTop + FHeight);
    }
}

void TControl::Changed(TChange what) {
    if (Form()) UiBackend().ControlChanged(*this, what);
}

// ---- TWinControl ------------------------------------------------------------------------

TWinControl::~TWinControl() {
    for (TControl* c : FControls) c->FParent = nullptr;
}

void TWinControl::Insert(TControl* control) { FControls.push_back(control); }

void TWinControl::Remove(TControl* control) {
    FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
}

void TWinControl::Realign() {
    const int width = ClientWidth(), height = ClientHeight();
    const bool resized = FLaidWidth >= 0 && (width != FLaidWidth || height != FLaidHeight);
    FLaidWidth = width;
    FLaidHeight = height;
    // Anchors first: a control anchored right or bottom keeps its distance to that edge.
    if (resized) {
        for (TControl* c : FControls) {
            if (c->FAlign != alNone) continue;
            int left = c->FLeft, top = c->FTop, w = c->FWidth, h = c->FHeight;
            if (c->FAnchors & akRight) {
                if (c->FAnchors & akLeft)
                    w = width - c->FRightGap - left;
                else
                    left = width - c->FRightGap - w;
            }
            if (c->FAnchors & akBottom) {
                if (c->FAnchors & akTop)
                    h = height - c->FBottomGap - top;
                else
                    top = height - c->FBottomGap - h;
            }
            if (left != c->FLeft || top != c->FTop || w != c->FWidth || h != c->FHeight) {
                c->FLeft = left;
                c->FTop = top;
                c->FWidth = std::max(0, w);
                c->FHeight = std::max(0, h);
                if (auto* wc = dynamic_cast<TWinControl*>(c)) wc->Realign();
                c->Changed(TChange::Bounds);
            }
        }
    }
    // Then alignment, in the order top, bottom, left, right, client, as the class library does.
    TRect rest{0, 0, width, height};
    auto place = [](TControl* c, int left, int top, int w, int h) {
        if (auto* list = dynamic_cast<TCheckListBox*>(c); list && list->IntegralHeight && list->ItemHeight > 0)
            h = h / list->ItemHeight * list->ItemHeight;
        if (left == c->FLeft && top == c->FTop && w == c->FWidth && h == c->FHeight) return;
        c->FLeft = left;
        c->FTop = top;
        c->FWidth = std::max(0, w);
        c->FHeight = std::max(0, h);
        if (auto* wc = dynamic_cast<TWinControl*>(c)) wc->Realign();
        c->Changed(TChange::Bounds);
    };
    for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* c : FControls) {
            if (c->FAlign != pass || !c->FVisible) continue;
            switch (pass) {
                case alTop:
                    place(c, rest.Left, rest.Top, rest.Width(), c->FHeight);
                    rest.Top += c->FHeight;
                    break;
                case alBottom:
                    place(c, rest.Left, rest.Bottom - c->FHeight, rest.Width(), c->FHeight);
                    rest.Bottom -= c->FHeight;
                    break;
                case alLeft:
                    place(c, rest.Left, rest.Top, c->FWidth, rest.Height());
                    rest.Left += c->FWidth;
                    break;
                case alRight:
                    place(c, rest.Right - c->FWidth, rest.Top, c->FWidth, rest.Height());
                    rest.Right -= c->FWidth;
                    break;
                default:
                    place(c, rest.Left, rest.Top, rest.Width(), rest.Height());
                    break;
            }
        }
    }
}

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus() {
    if (TForm* form = Form()) form->SetActiveControl(this);
}

// ---- TLabel -----------------------------------------------------------------------------

void TLabel::SetAutoSize(bool on) {
    FAutoSize = on;
    AdjustSize();
}

void TLabel::SetAlignment(TAlignment a) {
    FAlignment = a;
    Changed(TChange::Style);
}

void TLabel::SetWordWrap(bool on) {
    FWordWrap = on;
    AdjustSize();
}

void TLabel::AdjustSize() {
    if (!FAutoSize) return;
    if (FWordWrap) {
        const TSize size = UiBackend().MeasureText(Font(), Caption(), Width());
        SetHeight(size.Height);
    } else {
        const TSize size = UiBackend().MeasureText(Font(), Caption(), 0);
        SetBounds(Left(), Top(), size.Width, size.Height);
    }
}

// ---- TEdit, TButton ---------------------------------------------------------------------

void TEdit::UserSetText(const AnsiString& text) {
    if (text == Text()) return;
    SetText(text);
    if (OnChange) DispatchEvent([&] { OnChange(this); });
}

void TButton::SetDefault(bool on) {
    FDefault = on;
    Changed(TChange::Style);
}

void TButton::Click() {
    if (ModalResult != 0)
        if (TForm* form = Form()) form->ModalResult = ModalResult;
    if (OnClick) OnClick(this);
}

// ---- TMemo ------------------------------------------------------------------------------

void TMemo::Clear() {
    FLines.clear();
    FSelStart = 0;
    Changed(TChange::Text);
}

void TMemo::Add(const AnsiString& line) {
    FLines.push_back(line);
    Changed(TChange::Text);
}

AnsiString TMemo::Text() const {
    AnsiString text;
    for (const AnsiString& line : FLines) text += line + "\r\n";
    return text;
}

void TMemo::SetSelStart(int position) {
    FSelStart = std::max(0, position);
    Changed(TChange::State);
}

// ---- TCheckListBox ----------------------------------------------------------------------

const AnsiString& TCheckListBox::Item(int index) const {
    if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", index));
    return FItems[static_cast<size_t>(index)].Caption;
}

void TCheckListBox::AddItem(const AnsiString& caption) {
    FItems.push_back({caption, false});
    Changed(TChange::Items);
}

bool TCheckListBox::Checked(int index) const {
    if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", index));
    return FItems[static_cast<size_t>(index)].Checked;
}

void TCheckListBox::SetChecked(int index, bool checked) {
    if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", index));
    FItems[static_cast<size_t>(index)].Checked = checked;
    Changed(TChange::State);
}

void TCheckListBox::UserToggle(int index) {
    if (!Enabled() || index < 0 || index >= Count()) return;
    SetChecked(index, !Checked(index));
    if (OnClickCheck) DispatchEvent([&] { OnClickCheck(this); });
}

// ---- TProgressBar -----------------------------------------------------------------------

void TProgressBar::SetRange(int min, int max) {
    FMin = min;
    FMax = std::max(min, max);
    FPosition = std::clamp(FPosition, FMin, FMax);
    Changed(TChange::State);
}

void TProgressBar::SetPosition(int position) {
    FPosition = std::clamp(position, FMin, FMax);
    Changed(TChange::State);
}

// ---- TListBox ---------------------------------------------------------------------------

void TListBox::SetItems(std::vector<AnsiString> items) {
    FItems = std::move(items);
    FItemIndex = -1;
    Changed(TChange::Items);
}

void TListBox::SetItemIndex(int index) {
    FItemIndex = (index >= 0 && index < static_cast<int>(FItems.size())) ? index : -1;
    Changed(TChange::State);
}

void TListBox::UserSelect(int index) {
    if (!Enabled()) return;
    SetItemIndex(index);
    if (OnClick) DispatchEvent([&] { OnClick(this); });
}

void TListBox::UserOpen(int index) {
    if (!Enabled()) return;
    SetItemIndex(index);
    if (FItemIndex >= 0 && OnDblClick) DispatchEvent([&] { OnDblClick(this); });
}

// ---- TTimer -----------------------------------------------------------------------------

TTimer::~TTimer() { UiBackend().TimerDestroyed(*this); }

void TTimer::Created() { UiBackend().TimerChanged(*this); }

void TTimer::SetEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    UiBackend().TimerChanged(*this);
}

void TTimer::SetInterval(int milliseconds) {
    FInterval = std::max(0, milliseconds);
    UiBackend().TimerChanged(*this);
}

void TTimer::Fire() {
    if (FEnabled && OnTimer) DispatchEvent([&] { OnTimer(this); });
}
