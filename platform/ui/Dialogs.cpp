// Message boxes and dialogs through the installed backend.
#include "platform/ui/Dialogs.h"

namespace {

class TNoDialogs : public TDialogBackend {
public:
    int MessageBox(const TMessageBoxRequest& request) override { return DefaultAnswer(request.Buttons); }
};

std::unique_ptr<TDialogBackend>& Backend() {
    static std::unique_ptr<TDialogBackend> backend = std::make_unique<TNoDialogs>();
    return backend;
}

AnsiString& Title() {
    static AnsiString title;
    return title;
}

}  // namespace

void SetDialogBackend(std::unique_ptr<TDialogBackend> backend) {
    Backend() = backend ? std::move(backend) : std::make_unique<TNoDialogs>();
}

TDialogBackend& DialogBackend() { return *Backend(); }

AnsiString MessageCaption(TMsgDlgType type) {
    switch (type) {
        case mtWarning: return "Предупреждение";
        case mtError: return "Ошибка";
        case mtInformation: return "Информация";
        case mtConfirmation: return "Подтверждение";
        default: return Title();
    }
}

int MessageDlg(const AnsiString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    return MessageBoxDlg(text, MessageCaption(type), type, buttons);
}

int MessageBoxDlg(const AnsiString& text, const AnsiString& caption, TMsgDlgType type, TMsgDlgButtons buttons) {
    TMessageBoxRequest request;
    request.Caption = caption;
    request.Text = text;
    request.Type = type;
    request.Buttons = buttons;
    return Backend()->MessageBox(request);
}

int DefaultAnswer(TMsgDlgButtons buttons) {
    if (buttons & mbIgnore) return mrIgnore;
    if (buttons & mbCancel) return mrCancel;
    if (buttons & mbNo) return mrNo;
    if (buttons & mbOK) return mrOk;
    if (buttons & mbAbort) return mrAbort;
    if (buttons & mbYes) return mrYes;
    if (buttons & mbRetry) return mrRetry;
    return mrCancel;
}

void ProcessMessages() { Backend()->ProcessMessages(); }
void SetBusyCursor(bool busy) { Backend()->SetBusyCursor(busy); }

const AnsiString& ApplicationTitle() { return Title(); }
void SetApplicationTitle(const AnsiString& title) { Title() = title; }
