// The selection dialog TInstF4: one check box per optional component of the package; the
// setup window prepares it and reads the checks afterwards.
#pragma once

#include "platform/ui/Forms.h"

class TInstF4 : public TForm {
public:
    TInstF4();

    TStaticText* StaticText1 = nullptr;
    TCheckListBox* CheckListBox1 = nullptr;
    TPanel* Panel1 = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;

    void FormShow(TObject* Sender);
    void CheckListBox1Click(TObject* Sender);

    static constexpr int FormClientWidth = 359, FormClientHeight = 366;
    static constexpr int PanelHeight = 46;
};

extern TInstF4* InstF4;
