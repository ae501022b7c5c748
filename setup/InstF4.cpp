// The selection dialog.
#include "setup/InstF4.h"

TInstF4* InstF4 = nullptr;

TInstF4::TInstF4() {
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu);
    SetClientSize(FormClientWidth, FormClientHeight);
    Position = poScreenCenter;
    TFont font = Font();
    font.Charset = fcRussianCharset;
    SetFont(font);

    StaticText1 = Create<TStaticText>("StaticText1");
    StaticText1->SetAlign(alTop);
    Panel1 = Create<TPanel>("Panel1");
    Panel1->SetHeight(PanelHeight);
    Panel1->SetAlign(alBottom);
    Panel1->BevelOuter = bvNone;
    CheckListBox1 = Create<TCheckListBox>("CheckListBox1");
    CheckListBox1->SetAlign(alClient);
    CheckListBox1->SetColor(clWindow);
    CheckListBox1->TabOrder = 0;
    Button1 = Create<TButton>("Button1");
    Button1->SetParent(Panel1);
    Button1->SetBounds(180, 11, 75, 25);
    Button1->SetCaption("OK");
    Button1->SetDefault(true);
    Button1->ModalResult = mrOk;
    Button1->TabOrder = 1;
    Button2 = Create<TButton>("Button2");
    Button2->SetParent(Panel1);
    Button2->SetBounds(268, 11, 75, 25);
    Button2->SetCaption("Отмена");
    Button2->Cancel = true;
    Button2->ModalResult = mrCancel;
    Button2->TabOrder = 2;

    OnShow = [this](TObject* s) { FormShow(s); };
    CheckListBox1->OnClickCheck = [this](TObject* s) { CheckListBox1Click(s); };
}

void TInstF4::FormShow(TObject*) { SetActiveControl(CheckListBox1); }

void TInstF4::CheckListBox1Click(TObject*) {
    for (int i = 0; i < CheckListBox1->Count(); ++i) {
        if (CheckListBox1->Checked(i)) {
            Button1->SetEnabled(true);
            return;
        }
    }
    Button1->SetEnabled(false);
}
