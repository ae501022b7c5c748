// The document viewer TInstF2: shows readme.txt or license.txt from beside the program, its
// hard-wrapped lines joined into paragraphs so that the viewer wraps them to its width.
#pragma once

#include "platform/ui/Forms.h"

#include <vector>

class TInstF2 : public TForm {
public:
    TInstF2();

    TPanel* Panel1 = nullptr;
    TButton* Button1 = nullptr;
    TMemo* Memo1 = nullptr;

    // Kind 1: the description (readme.txt), 2: the licence (license.txt); others do nothing.
    void ShowDocument(int kind);
    void FormShow(TObject* Sender);
    void FormKeyPress(TObject* Sender, char& Key);

    static constexpr int FormOuterWidth = 696, FormOuterHeight = 490;
    static constexpr int FormMinSize = 300;
    static constexpr int PanelHeight = 46;
};

extern TInstF2* InstF2;

// The memo lines of a document's lines: a paragraph goes on until an empty line or a line
// whose trimmed text begins with "-", "*" or "COPYRIGHT" (ASCII letters in any case).
std::vector<AnsiString> JoinParagraphs(const std::vector<AnsiString>& lines);
