// The document viewer and its paragraph joining.
#include "setup/InstF2.h"

#include "platform/os/FileSystem.h"
#include "platform/rtl/Classes.h"
#include "setup/PackageDescription.h"

TInstF2* InstF2 = nullptr;

namespace {

bool IsBreakLine(const AnsiString& line) {
    if (line.empty()) return true;
    const AnsiString trimmed = Trim(line);
    return (!trimmed.empty() && (trimmed[0] == '-' || trimmed[0] == '*')) ||
           UpperCase(trimmed.substr(0, 9)) == "COPYRIGHT";
}

}  // namespace

std::vector<AnsiString> JoinParagraphs(const std::vector<AnsiString>& lines) {
    std::vector<AnsiString> out;
    AnsiString paragraph;
    for (const AnsiString& line : lines) {
        if (IsBreakLine(line)) {
            if (!paragraph.empty()) out.push_back(paragraph);
            if (line.empty()) out.push_back(AnsiString());
            paragraph = line;
        } else if (paragraph.empty()) {
            paragraph = line;
        } else {
            paragraph += ' ';
            paragraph += Trim(line);
        }
    }
    if (!paragraph.empty()) out.push_back(paragraph);
    return out;
}

TInstF2::TInstF2() {
    SetBorderStyle(bsSizeable);
    SetBorderIcons(biSystemMenu | biMaximize);
    SetOuterSize(FormOuterWidth, FormOuterHeight);
    MinWidth = MinHeight = FormMinSize;
    Position = poScreenCenter;
    KeyPreview = true;
    TFont font = Font();
    font.Charset = fcRussianCharset;
    SetFont(font);

    Panel1 = Create<TPanel>("Panel1");
    Panel1->SetHeight(PanelHeight);
    Panel1->SetAlign(alBottom);
    Panel1->BevelOuter = bvNone;
    Button1 = Create<TButton>("Button1");
    Button1->SetParent(Panel1);
    Button1->SetBounds(600, 12, 75, 25);
    Button1->SetAnchors(akTop | akRight);
    Button1->SetCaption("OK");
    Button1->SetDefault(true);
    Button1->ModalResult = mrOk;
    Button1->TabOrder = 1;
    Memo1 = Create<TMemo>("Memo1");
    Memo1->SetAlign(alClient);
    Memo1->ReadOnly = true;
    Memo1->VerticalScrollBar = true;
    Memo1->WordWrap = true;
    Memo1->WantReturns = false;
    Memo1->SetColor(clWindow);
    Memo1->TabOrder = 0;

    OnShow = [this](TObject* s) { FormShow(s); };
    OnKeyPress = [this](TObject* s, char& key) { FormKeyPress(s, key); };
}

void TInstF2::ShowDocument(int kind) {
    const TPackageDescription& p = PackageDescription;
    AnsiString file;
    if (kind == 1) {
        SetCaption("Описание " + p.ProductNounGenitive + " [файл readme.txt]");
        file = p.StartDir + "\\readme.txt";
    } else if (kind == 2) {
        SetCaption("Лицензионное соглашение [файл license.txt]");
        file = p.StartDir + "\\license.txt";
    } else {
        return;
    }
    if (!FileExists(file)) return;
    Memo1->Clear();
    TStringList lines;
    lines.LoadFromFile(file);
    for (const AnsiString& line : JoinParagraphs(lines.Lines)) Memo1->Add(line);
    ShowModal();
}

void TInstF2::FormShow(TObject*) {
    Memo1->SetSelStart(0);
    SetActiveControl(Memo1);
}

void TInstF2::FormKeyPress(TObject*, char& Key) {
    if (Key == static_cast<char>(vkEscape)) Close();
}
