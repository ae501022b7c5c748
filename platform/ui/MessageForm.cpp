// Layout of the message box: the text beside the icon, the buttons centred below.
#include "platform/ui/MessageForm.h"

#include "platform/ui/UiBackend.h"

#include <algorithm>

namespace {

TIconKind IconOf(TMsgDlgType type) {
    switch (type) {
        case mtWarning: return TIconKind::Warning;
        case mtError: return TIconKind::Error;
        case mtInformation: return TIconKind::Information;
        case mtConfirmation: return TIconKind::Question;
        default: return TIconKind::None;
    }
}

}  // namespace

TMessageForm::TMessageForm(const TMessageBoxRequest& request) : FButtons(request.Buttons) {
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu);
    Position = poScreenCenter;
    KeyPreview = true;
    OnKeyPress = [this](TObject*, char& key) {
        if (key == static_cast<char>(vkEscape)) Close();
    };
    SetCaption(request.Caption);
    TFont font = Font();
    font.Name = "MS Sans Serif";
    font.Charset = fcRussianCharset;
    SetFont(font);

    int textLeft = Margin;
    int iconHeight = 0;
    if (IconOf(request.Type) != TIconKind::None) {
        Image = Create<TIcon>("Image");
        Image->Icon = IconOf(request.Type);
        Image->SetBounds(Margin, Margin, TIcon::Size, TIcon::Size);
        textLeft = Margin + TIcon::Size + TextGap;
        iconHeight = TIcon::Size;
    }
    Message = Create<TLabel>("Message");
    Message->SetWordWrap(true);
    const TSize natural = UiBackend().MeasureText(font, request.Text, 0);
    Message->SetBounds(textLeft, Margin, std::min(natural.Width, MaxTextWidth), 0);
    Message->SetCaption(request.Text);
    Message->AdjustSize();
    // A short text stands level with the middle of the icon.
    if (Message->Height() < iconHeight) Message->SetTop(Margin + (iconHeight - Message->Height()) / 2);

    const std::vector<TDialogButton> buttons = DialogButtons(FButtons);
    const int rowWidth = static_cast<int>(buttons.size()) * (ButtonWidth + ButtonGap) - ButtonGap;
    const int width = std::max(textLeft + Message->Width() + Margin, rowWidth + 2 * Margin);
    const int buttonsTop = std::max(Message->Top() + Message->Height(), Margin + iconHeight) + Margin + 4;
    SetClientSize(width, buttonsTop + ButtonHeight + Margin);

    const int defaultResult = DefaultButtonResult(FButtons);
    const int cancelResult = (FButtons & mbCancel) ? mrCancel : (FButtons & mbNo) ? mrNo : mrNone;
    int left = (width - rowWidth) / 2;
    int tab = 0;
    for (const TDialogButton& b : buttons) {
        TButton* button = Create<TButton>("Button" + b.Caption);
        button->SetBounds(left, buttonsTop, ButtonWidth, ButtonHeight);
        button->SetCaption(b.Caption);
        button->ModalResult = b.Result;
        button->SetDefault(b.Result == defaultResult);
        button->Cancel = b.Result == cancelResult;
        button->TabOrder = tab++;
        if (b.Result == defaultResult) SetActiveControl(button);
        Buttons.push_back(button);
        left += ButtonWidth + ButtonGap;
    }
}

int TMessageForm::Execute() {
    const int result = ShowModal();
    // The close box and Esc give mrCancel, which a box without Cancel does not offer.
    for (const TDialogButton& b : DialogButtons(FButtons))
        if (b.Result == result) return result;
    return DefaultAnswer(FButtons);
}
