// The run window TInstF3: the status line and the progress bar of the installation run,
// placed under the setup window, which shows it modally. The run itself comes with the
// installation run; until then the window's first activation ends the program.
#pragma once

#include "platform/ui/Forms.h"

class TInstF3 : public TForm {
public:
    TInstF3();

    TPanel* Panel1 = nullptr;
    TLabel* Label1 = nullptr;
    TProgressBar* ProgressBar1 = nullptr;

    void FormShow(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);

    static constexpr int FormClientWidth = 632, FormClientHeight = 65;

private:
    bool FStarted = false;
};

extern TInstF3* InstF3;
