// Forms and the application: modal results, the close query, key routing, the general error
// report, layout, centring and timers, through the test driver.
#include "platform/rtl/SysUtils.h"
#include "tests/platform/ui/UiTestFixture.h"

namespace {

// A small dialog: an edit, OK (default, result OK) and Cancel (Esc, result Cancel).
class TSampleForm : public TForm {
public:
    TSampleForm() {
        SetBorderStyle(bsDialog);
        Position = poScreenCenter;
        SetClientSize(300, 100);
        Edit1 = Create<TEdit>("Edit1");
        Edit1->SetBounds(8, 8, 200, 21);
        Ok = Create<TButton>("Ok");
        Ok->SetBounds(100, 60, 75, 25);
        Ok->SetDefault(true);
        Ok->ModalResult = mrOk;
        Cancel = Create<TButton>("Cancel");
        Cancel->SetBounds(190, 60, 75, 25);
        Cancel->Cancel = true;
        Cancel->ModalResult = mrCancel;
    }
    TEdit* Edit1;
    TButton* Ok;
    TButton* Cancel;
};

}  // namespace

TEST_F(UiTest, ErrorReportAddsAFullStopOnlyAfterCharactersSortingAfterIt) {
    struct Case {
        const char* message;
        const char* shown;
    } cases[] = {
        {"Disk full", "Disk full."},
        {"Done.", "Done."},
        {"Stop!", "Stop!"},
        {"(see log)", "(see log)"},
        {"Why?", "Why?."},
        {"Нет места", "Нет места."},
        {"1,5", "1,5."},
        {"a-", "a-"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(TApplication::ErrorReportText(c.message), c.shown) << c.message;
}

TEST_F(UiTest, ExceptionLeavingAHandlerIsReportedAndTheProgramGoesOn) {
    Application->SetTitle("VORNforZat Install");
    TSampleForm* form = nullptr;
    Application->CreateForm(form);
    form->Ok->OnClick = [](TObject*) { throw EInOutError("Не удается открыть файл"); };
    form->Show();
    EXPECT_TRUE(TTestDriver::Click(*form->Ok));
    ASSERT_EQ(Driver->Boxes.size(), 1u);
    EXPECT_EQ(Driver->Boxes[0].Caption, "VORNforZat Install");
    EXPECT_EQ(Driver->Boxes[0].Type, mtError);
    EXPECT_EQ(Driver->Boxes[0].Buttons, mbOK);
    EXPECT_EQ(Driver->Boxes[0].Text, "Не удается открыть файл.");
    EXPECT_FALSE(Application->Terminated());
}

TEST_F(UiTest, ShowModalReturnsTheResultOfTheButtonAndHidesTheWindow) {
    TSampleForm form;
    Driver->OnModal([&](TForm&) { TTestDriver::Type(*form.Edit1, "abc"); });
    Driver->OnModal([&](TForm&) { TTestDriver::Click(*form.Ok); });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(form.Edit1->Text(), "abc");
    ASSERT_EQ(Driver->ModalForms.size(), 1u);

    Driver->OnModal([](TForm& f) { TTestDriver::PressKey(f, vkEscape); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    Driver->OnModal([](TForm& f) { TTestDriver::PressKey(f, vkReturn); });
    EXPECT_EQ(form.ShowModal(), mrOk);
}

TEST_F(UiTest, CloseQueryCanRefuseTheEndOfAModalLoop) {
    TSampleForm form;
    int asked = 0;
    form.OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++asked > 1; };
    TCloseAction seen = caNone;
    form.OnClose = [&](TObject*, TCloseAction& action) { seen = action; };
    Driver->OnModal([&](TForm&) { TTestDriver::Click(*form.Ok); });
    Driver->OnModal([&](TForm& f) {
        EXPECT_TRUE(f.Visible());  // still open after the refusal
        TTestDriver::CloseBox(f);
    });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(seen, caHide);
}

TEST_F(UiTest, ClosingTheMainWindowAsksAndEndsTheProgram) {
    TSampleForm* main = nullptr;
    Application->CreateForm(main);
    bool allow = false;
    int closed = 0;
    main->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = allow; };
    main->OnClose = [&](TObject*, TCloseAction&) { ++closed; };
    main->Show();
    TTestDriver::CloseBox(*main);
    EXPECT_FALSE(Application->Terminated());
    EXPECT_EQ(closed, 0);
    allow = true;
    TTestDriver::CloseBox(*main);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(closed, 1);
}

TEST_F(UiTest, KeyPreviewSeesKeysBeforeTheDefaultAndCancelButtons) {
    TSampleForm form;
    form.KeyPreview = true;
    std::vector<uint16_t> keys;
    std::vector<char> chars;
    form.OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) {
        keys.push_back(key);
        if (key == vkF1) key = 0;
    };
    form.OnKeyPress = [&](TObject*, char& key) { chars.push_back(key); };
    int clicks = 0;
    form.Ok->OnClick = [&](TObject*) { ++clicks; };
    form.Show();
    TTestDriver::PressKey(form, vkF1, ssShift);
    TTestDriver::PressKey(form, vkReturn);
    EXPECT_EQ(keys, (std::vector<uint16_t>{vkF1, vkReturn}));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(chars.empty());  // Enter went to the default button
    // Without key preview the form's handlers see nothing.
    form.KeyPreview = false;
    TTestDriver::PressKey(form, 'a');
    EXPECT_EQ(keys.size(), 2u);
    // A disabled default button takes no Enter; the character reaches the form then.
    form.KeyPreview = true;
    form.Ok->SetEnabled(false);
    TTestDriver::PressKey(form, vkReturn);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(chars, std::vector<char>{'\r'});
}

TEST_F(UiTest, WindowsAreCentredByTheirOuterSize) {
    TSampleForm form;
    form.Show();
    const TSize frame = Driver->FrameExtent(bsDialog, biSystemMenu);
    EXPECT_EQ(form.OuterWidth(), 300 + frame.Width);
    EXPECT_EQ(form.ScreenLeft(), (THeadlessBackend::ScreenWidth - form.OuterWidth()) / 2);
    EXPECT_EQ(form.ScreenTop(), (THeadlessBackend::ScreenHeight - form.OuterHeight()) / 2);
}

TEST_F(UiTest, AlignmentAnchorsAndWholeItemLists) {
    TForm form;
    form.SetClientSize(400, 300);
    TPanel* bottom = form.Create<TPanel>("Panel1");
    bottom->SetHeight(46);
    bottom->SetAlign(alBottom);
    TButton* ok = form.Create<TButton>("Button1");
    ok->SetParent(bottom);
    ok->SetBounds(300, 12, 75, 25);
    ok->SetAnchors(akRight | akTop);
    TLabel* text = form.Create<TLabel>("StaticText1");
    text->SetAutoSize(false);
    text->SetHeight(20);
    text->SetAlign(alTop);
    TCheckListBox* list = form.Create<TCheckListBox>("CheckListBox1");
    list->SetAlign(alClient);

    EXPECT_EQ(bottom->Top(), 254);
    EXPECT_EQ(bottom->Width(), 400);
    EXPECT_EQ(text->Width(), 400);
    EXPECT_EQ(list->Top(), 20);
    EXPECT_EQ(list->Height(), 234 / 13 * 13);  // whole items: 18 of them
    form.SetClientSize(500, 300);
    EXPECT_EQ(bottom->Width(), 500);
    EXPECT_EQ(ok->Left(), 400);  // 25 pixels from the right edge, as before
    EXPECT_EQ(ok->Width(), 75);
}

TEST_F(UiTest, AutoSizedLabelsFollowTheirText) {
    TForm form;
    TLabel* label = form.Create<TLabel>("Label5");
    label->SetCaption("abcd");
    const TSize expected = Driver->MeasureText(label->Font(), "abcd", 0);
    EXPECT_EQ(label->Width(), expected.Width);
    EXPECT_GT(label->Width(), 0);
    label->SetCaption("abcdefgh");
    EXPECT_EQ(label->Width(), 2 * expected.Width);
    TStaticText* wrapped = form.Create<TStaticText>("StaticText1");
    wrapped->SetWidth(60);
    wrapped->SetCaption("one two three four five six");
    EXPECT_GT(wrapped->Height(), expected.Height);
    EXPECT_EQ(wrapped->Width(), 60);
}

TEST_F(UiTest, OneShotTimerFiresOnceAndTheMainLoopEndsWhenNothingIsLeft) {
    TForm* main = nullptr;
    Application->CreateForm(main);
    TTimer* timer = main->Create<TTimer>("Timer1");
    timer->SetEnabled(false);
    timer->SetInterval(200);
    int fired = 0;
    timer->OnTimer = [&](TObject*) {
        timer->SetEnabled(false);
        ++fired;
    };
    bool closed = false;
    main->OnClose = [&](TObject*, TCloseAction&) { closed = true; };
    main->OnShow = [&](TObject*) { timer->SetEnabled(true); };
    main->Show();
    Driver->AdvanceTime(199);
    EXPECT_EQ(fired, 0);
    Driver->AdvanceTime(1);
    EXPECT_EQ(fired, 1);
    Driver->AdvanceTime(1000);
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(Driver->TimerPending());
    Application->Run();  // nothing pending: the end of input closes the main window
    EXPECT_TRUE(closed);
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(UiTest, ModalLoopEndsWhenTheProgramIsAskedToEnd) {
    TSampleForm form;
    form.OnActivate = [](TObject*) { Application->Terminate(); };
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_FALSE(form.Visible());
}
