// The document viewer's paragraph joining and its captions, and the selection dialog's OK
// button and layout.
#include "tests/setup/SetupFixture.h"

TEST(JoinParagraphs, JoinsHardWrappedLinesIntoParagraphs) {
    using Lines = std::vector<AnsiString>;
    struct Case {
        const char* name;
        Lines in, out;
    } cases[] = {
        {"joined", {"Hello", "  world", "again"}, {"Hello world again"}},
        {"empty line between", {"one", "two", "", "three"}, {"one two", "", "three"}},
        {"two empty lines", {"a", "", "", "b"}, {"a", "", "", "b"}},
        {"list item", {"Intro", "- item one", "  continued"}, {"Intro", "- item one continued"}},
        {"star item", {"* a", "* b"}, {"* a", "* b"}},
        {"copyright any case", {"Text", "  Copyright 2012 Druvel", "all rights"}, {"Text", "  Copyright 2012 Druvel all rights"}},
        {"COPYRIGHT upper", {"x", "COPYRIGHTED"}, {"x", "COPYRIGHTED"}},
        {"indented first line", {"   Indented", "   next"}, {"   Indented next"}},
        {"blanks only", {"a", "   ", "b"}, {"a  b"}},
        {"paragraph of blanks", {"   ", "b"}, {"    b"}},
        {"Cyrillic kept", {"Задачник", "  для курса"}, {"Задачник для курса"}},
        {"empty file", {}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(JoinParagraphs(c.in), c.out) << c.name;
}

TEST_F(SetupTest, ViewerShowsTheDocumentWithItsCaptionFromTheStart) {
    WriteFileBytes(Dist() + "\\readme.txt", "Первая строка\r\n  вторая\r\n\r\nАбзац\n");
    WriteFileBytes(Dist() + "\\license.txt", "");
    TInstF1& f = StartAndShow();
    Driver->OnModal([](TForm& viewer) {
        EXPECT_EQ(viewer.ActiveControl(), InstF2->Memo1);
        EXPECT_EQ(InstF2->Memo1->SelStart(), 0);
        TTestDriver::PressKey(viewer, vkReturn);  // the default button, not a line break
    });
    TTestDriver::Click(*f.Button2);
    ASSERT_EQ(Driver->ModalForms, std::vector<TForm*>{InstF2});
    EXPECT_EQ(InstF2->Caption(), "Описание задачника [файл readme.txt]");
    EXPECT_EQ(InstF2->Memo1->Lines(), (std::vector<AnsiString>{"Первая строка вторая", "", "Абзац"}));
    EXPECT_EQ(InstF2->OuterWidth(), 696);
    EXPECT_EQ(InstF2->OuterHeight(), 490);
    // OK keeps its distance to the right edge when the viewer is made wider.
    const int gap = InstF2->Panel1->Width() - InstF2->Button1->Left();
    InstF2->SetOuterSize(900, 490);
    EXPECT_EQ(InstF2->Panel1->Width() - InstF2->Button1->Left(), gap);
    EXPECT_EQ(InstF2->Memo1->Height(), InstF2->ClientHeight() - 46);

    Driver->OnModal([](TForm& viewer) { TTestDriver::PressKey(viewer, vkEscape); });
    TTestDriver::Click(*f.Button3);
    EXPECT_EQ(Driver->ModalForms.size(), 2u);
    EXPECT_EQ(InstF2->Caption(), "Лицензионное соглашение [файл license.txt]");
    EXPECT_TRUE(InstF2->Memo1->Lines().empty());  // an empty file opens empty

    // A document that disappeared: the caption is set, the viewer is not shown.
    DeleteFile(Dist() + "\\readme.txt");
    TTestDriver::Click(*f.Button2);
    EXPECT_EQ(Driver->ModalForms.size(), 2u);
    EXPECT_EQ(InstF2->Caption(), "Описание задачника [файл readme.txt]");
    InstF2->ShowDocument(3);
    EXPECT_EQ(Driver->ModalForms.size(), 2u);
}

TEST_F(SetupTest, SelectionDialogLayoutGivesTheListItsExtraHeightInWholeItems) {
    UseComponentPackage();
    StartAndShow();
    TInstF4& d = *InstF4;
    EXPECT_EQ(d.Caption(), "Выбор компонентов");
    EXPECT_EQ(d.StaticText1->Caption(), "Отметьте компоненты, которые нужно установить.");
    EXPECT_GT(d.StaticText1->Height(), 0);
    EXPECT_EQ(d.ClientHeight(), 46 + d.StaticText1->Height() + 185);
    EXPECT_EQ(d.ClientWidth(), 359);
    EXPECT_EQ(d.CheckListBox1->Top(), d.StaticText1->Height());
    EXPECT_EQ(d.CheckListBox1->Height(), 182);  // 14 whole items of 13 pixels
    ASSERT_EQ(d.CheckListBox1->Count(), 3);
    EXPECT_EQ(d.CheckListBox1->Item(1), "Документация");
}

TEST_F(SetupTest, SelectionOkIsDisabledWhileNothingIsChecked) {
    UseComponentPackage();
    TInstF1& f = StartAndShow();
    TTestDriver::Type(*f.Edit1, Dir / "target");
    Driver->OnModal([](TForm&) {
        TInstF4& d = *InstF4;
        EXPECT_TRUE(d.Button1->Enabled());  // opening does not run the handler
        EXPECT_EQ(d.ActiveControl(), d.CheckListBox1);
        TTestDriver::ToggleCheck(*d.CheckListBox1, 1);
        EXPECT_TRUE(d.Button1->Enabled());
        TTestDriver::ToggleCheck(*d.CheckListBox1, 1);
        EXPECT_FALSE(d.Button1->Enabled());
        EXPECT_FALSE(TTestDriver::Click(*d.Button1));
        TTestDriver::Click(*d.Button2);
    });
    TTestDriver::Click(*f.Button4);
    EXPECT_FALSE(InstF4->Button1->Enabled());  // the state of the last change stays
    EXPECT_FALSE(RunWindowShown());
}

TEST_F(SetupTest, WithAllowEmptySelectionOkStaysEnabledAndEverythingIsExcluded) {
    UseComponentPackage(true);
    TInstF1& f = StartAndShow();
    TTestDriver::Type(*f.Edit1, Dir / "target");
    Driver->OnModal([](TForm&) {
        TInstF4& d = *InstF4;
        TTestDriver::ToggleCheck(*d.CheckListBox1, 0);  // folders missing: all unchecked, one on
        TTestDriver::ToggleCheck(*d.CheckListBox1, 0);
        EXPECT_TRUE(d.Button1->Enabled());
        TTestDriver::Click(*d.Button1);
    });
    TTestDriver::Click(*f.Button4);
    EXPECT_TRUE(RunWindowShown());
    ASSERT_NE(ExcludedNames, nullptr);
    EXPECT_EQ(ExcludedNames->Lines, (std::vector<AnsiString>{"SAMPLES", "DOCS", "TOOLS"}));
}
