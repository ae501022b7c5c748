// Message boxes and dialogs through the installed backend; the default backend is the
// headless one of UiBackend.h, which answers as the file header of Dialogs.h says.
#include "platform/ui/Dialogs.h"

#include "platform/ui/UiBackend.h"

namespace {

std::unique_ptr<TDialogBackend>& Backend() {
    static std::unique_ptr<TDialogBackend> backend = std::make_unique<THeadlessBackend>();
    return backend;
}

AnsiString& Title() {
    static AnsiString title;
    return title;
}

}  // namespace

void SetDialogBackend(std::unique_ptr<TDialogBackend> backend) {
    Backend() = backend ? std::move(backend) : std::make_unique<THeadlessBackend>();
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

std::vector<TDialogButton> DialogButtons(TMsgDlgButtons buttons) {
    static const TDialogButton all[] = {
        {mbYes, "Да", mrYes},           {mbNo, "Нет", mrNo},         {mbOK, "OK", mrOk},
        {mbCancel, "Отмена", mrCancel}, {mbAbort, "Прервать", mrAbort}, {mbRetry, "Повтор", mrRetry},
        {mbIgnore, "Далее", mrIgnore},
    };
    std::vector<TDialogButton> out;
    for (const TDialogButton& b : all)
        if (buttons & b.Button) out.push_back(b);
    if (out.empty()) out.push_back(all[2]);  // a box always has a way out
    return out;
}

int DefaultButtonResult(TMsgDlgButtons buttons) {
    if (buttons & mbOK) return mrOk;
    if (buttons & mbYes) return mrYes;
    return DialogButtons(buttons).front().Result;
}

void ProcessMessages() { Backend()->ProcessMessages(); }
void SetBusyCursor(bool busy) { Backend()->SetBusyCursor(busy); }

bool SelectDirectory(AnsiString& folder, bool createIfMissing) {
    return Backend()->SelectDirectory(folder, createIfMissing);
}

bool OpenFileDialog(const AnsiString& title, const AnsiString& filter, const AnsiString& initialDir,
                    AnsiString& fileName) {
    return Backend()->OpenFile(title, filter, initialDir, fileName);
}

const AnsiString& ApplicationTitle() { return Title(); }
void SetApplicationTitle(const AnsiString& title) { Title() = title; }
