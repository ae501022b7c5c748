// Message boxes (captions, buttons, their window) and the folder chooser, through the driver.
#include "platform/os/FileSystem.h"
#include "platform/ui/FolderDialog.h"
#include "platform/ui/MessageForm.h"
#include "tests/common/TestPaths.h"
#include "tests/platform/ui/UiTestFixture.h"

TEST_F(UiTest, MessageBoxesHaveTheCaptionsOfTheirTypeAndRussianButtons) {
    EXPECT_EQ(MessageCaption(mtError), "Ошибка");
    EXPECT_EQ(MessageCaption(mtWarning), "Предупреждение");
    EXPECT_EQ(MessageCaption(mtInformation), "Информация");
    EXPECT_EQ(MessageCaption(mtConfirmation), "Подтверждение");
    std::vector<AnsiString> captions;
    for (const TDialogButton& b : DialogButtons(mbYes | mbNo | mbOK | mbCancel | mbRetry | mbIgnore))
        captions.push_back(b.Caption);
    EXPECT_EQ(captions, (std::vector<AnsiString>{"Да", "Нет", "OK", "Отмена", "Повтор", "Далее"}));

    Driver->AnswerBoxes({mrNo});
    EXPECT_EQ(MessageDlg("Выйти?", mtConfirmation, mbYes | mbNo), mrNo);
    EXPECT_EQ(MessageDlg("Файл занят", mtError, mbRetry | mbIgnore), mrIgnore);  // nothing queued
    ASSERT_EQ(Driver->Boxes.size(), 2u);
    EXPECT_EQ(Driver->Boxes[0].Caption, "Подтверждение");
    EXPECT_EQ(Driver->Boxes[1].Caption, "Ошибка");
}

TEST_F(UiTest, MessageWindowOffersItsButtonsAndClosingGivesTheDefaultAnswer) {
    TMessageBoxRequest request{"Ошибка", "Не удалось заменить файл", mtError, mbRetry | mbIgnore};
    {
        TMessageForm box(request);
        ASSERT_EQ(box.Buttons.size(), 2u);
        EXPECT_EQ(box.Buttons[0]->Caption(), "Повтор");
        EXPECT_EQ(box.Buttons[1]->Caption(), "Далее");
        EXPECT_EQ(box.Image->Icon, TIconKind::Error);
        EXPECT_EQ(box.Position, poScreenCenter);
        EXPECT_EQ(box.Caption(), "Ошибка");
        Driver->OnModal([](TForm& f) { TTestDriver::CloseBox(f); });
        EXPECT_EQ(box.Execute(), mrIgnore);
    }
    {
        TMessageBoxRequest question{"Подтверждение", "Выйти?", mtConfirmation, mbYes | mbNo};
        TMessageForm box(question);
        EXPECT_TRUE(box.Buttons[0]->Default());  // Yes
        EXPECT_TRUE(box.Buttons[1]->Cancel);     // No
        Driver->OnModal([](TForm& f) { TTestDriver::PressKey(f, vkEscape); });
        EXPECT_EQ(box.Execute(), mrNo);
        Driver->OnModal([](TForm& f) { TTestDriver::PressKey(f, vkReturn); });
        EXPECT_EQ(box.Execute(), mrYes);
    }
    {
        TMessageForm box(request);
        Driver->OnModal([&](TForm&) { TTestDriver::Click(*box.Buttons[0]); });
        EXPECT_EQ(box.Execute(), mrRetry);
        // The text stands right of the icon and the buttons below both.
        EXPECT_GT(box.Message->Left(), box.Image->Left() + TIcon::Size);
        EXPECT_GE(box.Buttons[0]->Top(), box.Image->Top() + TIcon::Size);
    }
}

TEST_F(UiTest, FolderChooserConfirmsAFolderThatDoesNotExistAndCreatesNothing) {
    TScratchDir dir;
    ForceDirectories(dir / "a");
    AnsiString folder = dir.Path();
    const AnsiString missing = dir / "new\\deep";
    Driver->AnswerBoxes({mrNo, mrYes});
    Driver->OnModal(TTestDriver::ChooseFolder(missing));
    Driver->OnModal([](TForm& f) {
        EXPECT_TRUE(f.Visible());  // No kept it open
        TTestDriver::Click(*dynamic_cast<TFolderDialog&>(f).OkButton);
    });
    ASSERT_TRUE(SelectDirectory(folder, false));
    EXPECT_EQ(folder, missing);
    EXPECT_FALSE(DirectoryExists(dir / "new"));
    ASSERT_EQ(Driver->Boxes.size(), 2u);
    EXPECT_EQ(Driver->Boxes[0].Text, "Указанный каталог не существует. Создать его?");
    EXPECT_EQ(Driver->Boxes[0].Type, mtConfirmation);
    EXPECT_EQ(Driver->Boxes[0].Buttons, mbYes | mbNo);
    EXPECT_EQ(Driver->FolderDialogStarts, std::vector<AnsiString>{dir.Path()});

    // The archive reader's chooser creates the folder after the same question.
    AnsiString created = dir.Path();
    Driver->AnswerBoxes({mrYes});
    Driver->OnModal(TTestDriver::ChooseFolder("made"));
    ASSERT_TRUE(SelectDirectory(created, true));
    EXPECT_EQ(created, dir / "made");
    EXPECT_TRUE(DirectoryExists(dir / "made"));
}

TEST_F(UiTest, FolderChooserNavigatesAndCanBeCancelled) {
    TScratchDir dir;
    ForceDirectories(dir / "b\\inner");
    ForceDirectories(dir / "a");
    WriteFileBytes(dir / "file.txt", "x");
    TFolderDialog dialog;
    Driver->OnModal([&](TForm&) {
        EXPECT_EQ(dialog.CurrentFolder(), dir.Path());
        EXPECT_EQ(dialog.FolderList->Items(), (std::vector<AnsiString>{"..", "a", "b"}));
        EXPECT_EQ(dialog.FileList->Items(), std::vector<AnsiString>{"file.txt"});
        EXPECT_EQ(dialog.Caption(), "Выбор каталога");
        EXPECT_EQ(dialog.Label1->Caption(), "Имя каталога:");
        EXPECT_EQ(dialog.Label2->Caption(), "Каталоги:");
        EXPECT_EQ(dialog.Label3->Caption(), "Файлы: (*.*)");
        EXPECT_EQ(dialog.Label4->Caption(), "Диски:");
        dialog.FolderList->UserOpen(2);
    });
    Driver->OnModal([&](TForm&) {
        EXPECT_EQ(dialog.Edit1->Text(), dir / "b");
        dialog.FolderList->UserOpen(1);  // inner
        dialog.FolderList->UserOpen(0);  // .. again
        TTestDriver::Click(*dialog.OkButton);
    });
    AnsiString folder = dir / "nowhere\\x";  // starts at the nearest existing folder
    ASSERT_TRUE(dialog.Execute(folder, false));
    EXPECT_EQ(folder, dir / "b");

    AnsiString unchanged = dir.Path();
    Driver->OnModal(TTestDriver::CancelDialog());
    EXPECT_FALSE(SelectDirectory(unchanged, false));
    EXPECT_EQ(unchanged, dir.Path());
    EXPECT_EQ(ParentFolder("C:\\A"), "C:\\");
    EXPECT_EQ(ParentFolder("C:\\"), "C:\\");
    EXPECT_EQ(ParentFolder("\\home"), "\\");
}

TEST(DialogsWithoutBackend, TakeTheAnswerThatLetsTheProgramGoOn) {
    SetDialogBackend(nullptr);
    EXPECT_EQ(MessageDlg("?", mtConfirmation, mbYes | mbNo), mrNo);
    EXPECT_EQ(MessageDlg("?", mtError, mbRetry | mbIgnore), mrIgnore);
    AnsiString folder = "C:\\";
    EXPECT_FALSE(SelectDirectory(folder, false));
}
