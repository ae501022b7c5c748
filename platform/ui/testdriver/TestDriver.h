// The test driver backend: forms without rendering, driven by the test as a user would
// (clicks, typing, keys, the close box), with scripted answers to message boxes and modal
// windows, a record of every box shown and a virtual clock for the timers.
#pragma once

#include "platform/ui/UiBackend.h"

#include <deque>
#include <functional>
#include <map>

struct TShownBox {
    TMsgDlgType Type;
    AnsiString Caption;
    AnsiString Text;
    TMsgDlgButtons Buttons;
    int Answer;
};

class TTestDriver : public THeadlessBackend {
public:
    // Installs a new driver as the backend and returns it (owned by the layer).
    static TTestDriver& Install();

    // ---- Message boxes: each box takes the next queued answer, or DefaultAnswer. ----
    void AnswerBoxes(std::initializer_list<int> answers);
    // Queues one answer given after `before` has run while the box is up: what the user does
    // before pressing the button (closing the program that holds a file, say).
    void AnswerBox(int answer, std::function<void()> before);
    std::vector<TShownBox> Boxes;
    int MessageBox(const TMessageBoxRequest& request) override;

    // ---- Modal windows: each turn of a modal loop runs the next queued action on the
    // window; with none queued the user closes the window, and a window that stays open
    // after that ends the program (as the terminal does at the end of input). ----
    using TModalAction = std::function<void(TForm& form)>;
    void OnModal(TModalAction action);
    std::vector<TForm*> ModalForms;  // every window shown modally, in order
    // Actions for the folder chooser: type a name and press OK; press Cancel.
    static TModalAction ChooseFolder(const AnsiString& typed);
    static TModalAction CancelDialog();
    bool SelectDirectory(AnsiString& folder, bool createIfMissing) override;
    // Start folder of each folder chooser shown.
    std::vector<AnsiString> FolderDialogStarts;

    // ---- The user's input; false when the control cannot take it (hidden or disabled). ----
    static bool Click(TButton& button);
    static bool Type(TEdit& edit, const AnsiString& text);
    static bool ToggleCheck(TCheckListBox& list, int index);
    // Key down, then the character of Enter, Esc or a printable key.
    static void PressKey(TForm& form, uint16_t key, TShiftState shift = 0);
    static void CloseBox(TForm& form);

    // ---- Timers on a virtual clock. ----
    void AdvanceTime(int milliseconds);
    bool TimerPending() const;

    // ---- Records. ----
    std::vector<TForm*> ShownForms;
    int ProcessMessagesCalls = 0;
    void ProcessMessages() override { ++ProcessMessagesCalls; }
    void FormShown(TForm& form) override;
    void ModalBegin(TForm& form) override { FClosedOnce.erase(&form); }
    void TimerChanged(TTimer& timer) override;
    void TimerDestroyed(TTimer& timer) override;
    void HandleMessage(TForm* modal) override;

private:
    struct TScriptedAnswer {
        int Answer;
        std::function<void()> Before;
    };
    std::deque<TScriptedAnswer> FAnswers;
    std::deque<TModalAction> FModalActions;
    std::map<TTimer*, long long> FDue;
    std::map<TForm*, bool> FClosedOnce;
    long long FNow = 0;
    bool FireNextTimer(long long limit);
};
