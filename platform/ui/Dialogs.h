// Message boxes, dialogs and the few application services that the system's logic needs
// outside its windows (the archive reader's prompts, pending messages, the busy cursor).
// A backend (win32, tty, test driver) answers them; without one, every request takes the
// answer that lets the program go on without asking: Ignore rather than Retry, otherwise the
// answer of closing the box (Cancel, No, OK), and dialogs count as cancelled.
#pragma once

#include "platform/rtl/Types.h"

#include <memory>
#include <vector>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Buttons, as a set of bits.
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons mbYes = 0x01;
constexpr TMsgDlgButtons mbNo = 0x02;
constexpr TMsgDlgButtons mbOK = 0x04;
constexpr TMsgDlgButtons mbCancel = 0x08;
constexpr TMsgDlgButtons mbAbort = 0x10;
constexpr TMsgDlgButtons mbRetry = 0x20;
constexpr TMsgDlgButtons mbIgnore = 0x40;

// Modal results, with the values Windows gives its message box answers.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;
constexpr int mrAbort = 3;
constexpr int mrRetry = 4;
constexpr int mrIgnore = 5;
constexpr int mrYes = 6;
constexpr int mrNo = 7;

struct TMessageBoxRequest {
    AnsiString Caption;
    AnsiString Text;
    TMsgDlgType Type = mtCustom;  // the icon; mtCustom shows none
    TMsgDlgButtons Buttons = mbOK;
};

// What a backend provides. Every call is modal and returns when the user has answered.
class TDialogBackend {
public:
    virtual ~TDialogBackend() = default;
    // Returns one of the mr... results of the buttons offered.
    virtual int MessageBox(const TMessageBoxRequest& request) = 0;
    virtual void ProcessMessages() {}
    virtual void SetBusyCursor(bool /*busy*/) {}
    // Open-file dialog: title, filter ("Zip Files (*.ZIP)|*.zip|..."), initial folder.
    virtual bool OpenFile(const AnsiString& /*title*/, const AnsiString& /*filter*/,
                          const AnsiString& /*initialDir*/, AnsiString& /*fileName*/) {
        return false;
    }
    // Folder chooser starting at `folder`; the user may type a folder that does not exist.
    // With createIfMissing the chooser creates such a folder after asking; without, it only
    // asks "Указанный каталог не существует. Создать его?" and creates nothing.
    virtual bool SelectDirectory(AnsiString& /*folder*/, bool /*createIfMissing*/) { return false; }
};

// The buttons of a set, in the order a message box shows them, with their captions ("Да",
// "Нет", "OK", "Отмена", "Прервать", "Повтор", "Далее") and results.
struct TDialogButton {
    TMsgDlgButtons Button;
    AnsiString Caption;
    int Result;
};
std::vector<TDialogButton> DialogButtons(TMsgDlgButtons buttons);
// The button Enter presses: OK, else Yes, else the first one.
int DefaultButtonResult(TMsgDlgButtons buttons);

// Installs the backend used from now on (null: the default answers above). The user-interface
// backends (UiBackend.h) are installed through SetUiBackend, which comes here.
void SetDialogBackend(std::unique_ptr<TDialogBackend> backend);
TDialogBackend& DialogBackend();

// A message box whose caption follows its type: "Предупреждение", "Ошибка", "Информация",
// "Подтверждение" (mtCustom: the application title).
int MessageDlg(const AnsiString& text, TMsgDlgType type, TMsgDlgButtons buttons);
// A message box with an explicit caption (the application's MessageBox).
int MessageBoxDlg(const AnsiString& text, const AnsiString& caption, TMsgDlgType type, TMsgDlgButtons buttons);
// The caption of a message box type.
AnsiString MessageCaption(TMsgDlgType type);

// The answer given when nobody can be asked (see the file header).
int DefaultAnswer(TMsgDlgButtons buttons);

void ProcessMessages();
void SetBusyCursor(bool busy);
// The folder chooser and the open-file dialog of the installed backend.
bool SelectDirectory(AnsiString& folder, bool createIfMissing);
bool OpenFileDialog(const AnsiString& title, const AnsiString& filter, const AnsiString& initialDir,
                    AnsiString& fileName);

// The application's title, used as the caption of mtCustom boxes and the error report.
const AnsiString& ApplicationTitle();
void SetApplicationTitle(const AnsiString& title);
