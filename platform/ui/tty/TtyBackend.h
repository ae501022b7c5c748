// The terminal backend: every window, message box and dialog has a text form written in
// UTF-8, and answers are read from the input line by line, so a session can be scripted.
// At the end of input nothing loops or waits: a box takes DefaultAnswer, and a window that
// waits for the user ends the program as a confirmed exit would, once no timer is pending.
#pragma once

#include "platform/ui/UiBackend.h"

#include <chrono>
#include <iosfwd>
#include <map>

class TTtyBackend : public THeadlessBackend {
public:
    TTtyBackend(std::istream& in, std::ostream& out);

    int MessageBox(const TMessageBoxRequest& request) override;
    bool SelectDirectory(AnsiString& folder, bool createIfMissing) override;
    bool OpenFile(const AnsiString& title, const AnsiString& filter, const AnsiString& initialDir,
                  AnsiString& fileName) override;

    void FormShown(TForm& form) override;
    void FormHidden(TForm& form) override;
    void FormDestroyed(TForm& form) override;
    void ControlChanged(TControl& control, TChange what) override;
    void TimerChanged(TTimer& timer) override;
    void TimerDestroyed(TTimer& timer) override;
    void HandleMessage(TForm* modal) override;

    // The text form of a window; `actions` gets what each number stands for.
    struct TAction {
        TControl* Control;
        int Item;  // the item of a list, or -1
    };
    AnsiString Render(TForm& form, std::vector<TAction>& actions) const;

private:
    // A line of input in CP1251; false at the end of input.
    bool ReadLine(AnsiString& line);
    void Write(const AnsiString& text);
    void Command(TForm& form, const AnsiString& line);
    TForm* ActiveForm(TForm* modal) const;

    std::istream& FIn;
    std::ostream& FOut;
    bool FEndOfInput = false;
    bool FDirty = true;
    TForm* FLastRendered = nullptr;
    std::vector<TForm*> FShown;
    std::vector<TAction> FActions;
    std::map<TTimer*, std::chrono::steady_clock::time_point> FDue;
};
