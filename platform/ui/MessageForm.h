// The message box as a window of the layer: icon, text and the Russian buttons, modal and
// centred on the screen. The win32 backend shows it, so that the button texts do not depend
// on the language of Windows.
#pragma once

#include "platform/ui/Forms.h"

class TMessageForm : public TForm {
public:
    explicit TMessageForm(const TMessageBoxRequest& request);
    // Shows the box and returns the result of the button pressed; closing it (or Esc without
    // a cancel button) gives DefaultAnswer of its buttons.
    int Execute();

    TIcon* Image = nullptr;
    TLabel* Message = nullptr;
    std::vector<TButton*> Buttons;

    static constexpr int Margin = 12;
    static constexpr int TextGap = 12;       // between the icon and the text
    static constexpr int MaxTextWidth = 420;
    static constexpr int ButtonWidth = 75, ButtonHeight = 25, ButtonGap = 8;

private:
    TMsgDlgButtons FButtons;
};
