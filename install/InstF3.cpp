// The run window's form. The installation run is not written yet: its place is FormShow.
#include "install/InstF3.h"

TInstF3* InstF3 = nullptr;

TInstF3::TInstF3() {
    SetBorderStyle(bsNone);
    SetBorderIcons(0);
    SetClientSize(FormClientWidth, FormClientHeight);
    Position = poDesigned;
    TFont font = Font();
    font.Charset = fcRussianCharset;
    SetFont(font);

    Panel1 = Create<TPanel>("Panel1");
    Panel1->SetAlign(alClient);
    Panel1->BevelWidth = 2;
    Label1 = Create<TLabel>("Label1");
    Label1->SetParent(Panel1);
    Label1->SetBounds(16, 13, 0, 0);
    Label1->SetCaption("Копирование файлов");
    ProgressBar1 = Create<TProgressBar>("ProgressBar1");
    ProgressBar1->SetParent(Panel1);
    ProgressBar1->SetBounds(2, 37, 628, 16);
    ProgressBar1->SetRange(0, 100);

    OnActivate = [this](TObject* s) { FormShow(s); };
    OnCloseQuery = [this](TObject* s, bool& canClose) { FormCloseQuery(s, canClose); };
}

void TInstF3::FormShow(TObject*) {
    // The run starts on the first activation only; a message box closing re-activates the window.
    if (FStarted) return;
    FStarted = true;
    // THE INSTALLATION RUN GOES HERE. Until it exists, the window ends the program, so that
    // the setup window's Install action comes to a clean end on every backend.
    Application->Terminate();
}

void TInstF3::FormCloseQuery(TObject*, bool& CanClose) { CanClose = false; }
