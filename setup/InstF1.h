// The setup window TInstF1: the package's titles, the proposed target folder, the document
// buttons, and the Install action that validates the folder, builds ExcludedNames and opens
// the run window. Written against the user-interface layer's forms and controls.
#pragma once

#include "platform/ui/Forms.h"

class TInstF1 : public TForm {
public:
    TInstF1();

    TLabel* Label2 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label4 = nullptr;
    TBevel* Bevel1 = nullptr;
    TLabel* Label5 = nullptr;
    TEdit* Edit1 = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;
    TButton* Button3 = nullptr;
    TButton* Button4 = nullptr;
    TButton* Button5 = nullptr;
    TBevel* Bevel2 = nullptr;
    TLabel* Label6 = nullptr;
    TTimer* Timer1 = nullptr;

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void Timer1Timer(TObject* Sender);
    void Button1Click(TObject* Sender);
    void Button2Click(TObject* Sender);
    void Button4Click(TObject* Sender);
    void Button5Click(TObject* Sender);
    void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
    void FormKeyPress(TObject* Sender, char& Key);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormClose(TObject* Sender, TCloseAction& Action);

    static constexpr int FormClientWidth = 632, FormClientHeight = 248;
    // Space between the prompt and the folder field.
    static constexpr int FolderFieldGap = 20;
    static constexpr int TimerInterval = 200;
    static constexpr TColor TitleColor = RGBColor(0, 0, 192);
    static constexpr TColor ShadowColor = RGBColor(128, 128, 128);

private:
    // The steps of the creation after the data volumes have been found.
    void FinishCreation();
};

extern TInstF1* InstF1;

// True when a file can be created in the folder (no trailing backslash).
bool CanWriteToFolder(const AnsiString& folder);
