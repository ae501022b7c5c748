// The setup window: creation, the missing volume, the Install action with its checks and
// messages, browsing, the documents and F1, the close confirmation, AutoRun.
#include "platform/os/FileStream.h"
#include "platform/rtl/DateUtils.h"
#include "tests/setup/SetupFixture.h"

#ifndef _WIN32
#include "platform/os/posix/Faults.h"
#endif

namespace {
const AnsiString ExitQuestion = "Вы хотите выйти из программы,\r\nне выполнив установку задачника?";
}

TEST_F(SetupTest, MissingVolumeEndsTheProgramWithItsMessage) {
    TInstF1& f = StartSetup();
    ASSERT_EQ(Driver->Boxes.size(), 1u);
    EXPECT_EQ(Driver->Boxes[0].Type, mtError);
    EXPECT_EQ(Driver->Boxes[0].Caption, "Ошибка");
    EXPECT_EQ(Driver->Boxes[0].Buttons, mbOK);
    EXPECT_EQ(Driver->Boxes[0].Text, "Не найден файл setup.dat.\r\nВыполнить установку задачника VORN for Zat невозможно.");
    EXPECT_EQ(f.WindowState(), wsMinimized);
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(InstF2, nullptr);  // no later step ran
    Application->Run();
    EXPECT_TRUE(Driver->ShownForms.empty());  // never shown

    // Of three volumes, the first missing one is named, without its folder.
    Application->DestroyForms();
    Driver->Boxes.clear();
    UsePackage([](TPackageDescription& p) { p.VolumeCount = 3; });
    WriteVolume("setup.dat");
    StartSetup();
    ASSERT_EQ(Driver->Boxes.size(), 1u);
    EXPECT_EQ(Driver->Boxes[0].Text, "Не найден файл setup.dat2.\r\nВыполнить установку задачника VORN for Zat невозможно.");
}

TEST_F(SetupTest, CreationFillsTheWindow) {
    WriteVolume();
    TDateParts date;
    date.Year = 2012;
    date.Month = 3;
    date.Day = 5;
    date.Hour = 12;
    ASSERT_TRUE(FileSetDate(Dist() + "\\setup.dat", PartsToDosDateTime(date)));
    TInstF1& f = StartSetup();
    EXPECT_TRUE(Driver->Boxes.empty());
    EXPECT_EQ(Application->Title(), "VORNforZat Install");
    EXPECT_EQ(f.Caption(), "VORNforZat Install - Программа установки");
    EXPECT_EQ(f.Label1->Caption(), "Druvel/Morvath for Zat");
    EXPECT_EQ(f.Label2->Caption(), f.Label1->Caption());
    EXPECT_EQ(f.Label5->Caption(), "Задачник будет установлен в следующем каталоге:");
    EXPECT_EQ(f.Label6->Caption(), "Версия 1.0 от 05.03.2012");
    EXPECT_EQ(f.Button2->Caption(), "Описание задачника");
    EXPECT_EQ(f.Edit1->Text(), Dir / "pf\\Morvath.NET\\XR4");
    EXPECT_EQ(f.Label1->Font().Color, RGBColor(0, 0, 192));
    EXPECT_EQ(f.Label6->Font().Color, RGBColor(0, 0, 192));
    EXPECT_EQ(f.Label2->Font().Color, RGBColor(128, 128, 128));
    EXPECT_EQ(f.ActiveControl(), f.Button4);
    // The field begins 20 pixels after the prompt and ends where it did.
    EXPECT_EQ(f.Edit1->Left(), f.Label5->Left() + f.Label5->Width() + 20);
    EXPECT_EQ(f.Edit1->Left() + f.Edit1->Width(), 312 + 217);
    EXPECT_GT(f.Label5->Width(), 0);
    ASSERT_NE(InstF2, nullptr);
    ASSERT_NE(InstF3, nullptr);
    ASSERT_NE(InstF4, nullptr);
    EXPECT_EQ(Application->Forms().size(), 4u);
    EXPECT_EQ(f.ClientWidth(), 632);
    EXPECT_EQ(f.ClientHeight(), 248);
}

TEST_F(SetupTest, SettingsFolderReplacesTheProposal) {
    WriteSettings("[Main]\nInstallDir=%PROGRAMFILESDIR%\\Tools\\XR4\n");
    WriteVolume();
    EXPECT_EQ(StartSetup().Edit1->Text(), Dir / "pf\\Tools\\XR4");
}

TEST_F(SetupTest, DocumentButtonsFollowTheFilesBesideTheProgram) {
    struct Case {
        bool readme, license;
        bool button2, button3;
        int button3Left;
        const char* f1Caption;  // viewer caption after F1, null: nothing shown
    } cases[] = {
        {true, true, true, true, 207, "Описание задачника [файл readme.txt]"},
        {false, true, false, true, 15, "Лицензионное соглашение [файл license.txt]"},
        {true, false, true, false, 207, "Описание задачника [файл readme.txt]"},
        {false, false, false, false, 15, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.f1Caption ? c.f1Caption : "none");
        Application->DestroyForms();
        Driver->ModalForms.clear();
        DeleteFile(Dist() + "\\readme.txt");
        DeleteFile(Dist() + "\\license.txt");
        if (c.readme) WriteFileBytes(Dist() + "\\readme.txt", "readme\r\n");
        if (c.license) WriteFileBytes(Dist() + "\\license.txt", "license\r\n");
        TInstF1& f = StartAndShow();
        EXPECT_EQ(f.Button2->Visible(), c.button2);
        EXPECT_EQ(f.Button3->Visible(), c.button3);
        EXPECT_EQ(f.Button3->Left(), c.button3Left);
        TTestDriver::PressKey(f, vkF1, ssCtrl);
        if (c.f1Caption) {
            ASSERT_EQ(Driver->ModalForms.size(), 1u);
            EXPECT_EQ(Driver->ModalForms[0], InstF2);
            EXPECT_EQ(InstF2->Caption(), c.f1Caption);
        } else {
            EXPECT_TRUE(Driver->ModalForms.empty());
        }
    }
}

TEST_F(SetupTest, TrailingBackslashOfTheFolderFieldIsRemovedOnce) {
    UsePackage([](TPackageDescription& p) { p.RequiredFiles.Count = 0; });
    const AnsiString target = Dir / "Programs\\X";
    struct Case {
        AnsiString typed, installDir;
    } cases[] = {{target + "\\", target}, {target + "\\\\", target + "\\"}, {target, target}};
    for (const Case& c : cases) {
        Application->DestroyForms();  // the run window of the last action ended the program
        TInstF1& again = StartAndShow();
        TTestDriver::Type(*again.Edit1, c.typed);
        TTestDriver::Click(*again.Button4);
        EXPECT_EQ(PackageDescription.InstallDir, c.installDir);
        EXPECT_TRUE(DirectoryExists(target));
    }
}

TEST_F(SetupTest, RequiredFilesMissingStopsBeforeAnythingIsCreated) {
    TInstF1& f = StartAndShow();
    const AnsiString target = Dir / "base";
    TTestDriver::Type(*f.Edit1, target);
    TTestDriver::Click(*f.Button4);
    ASSERT_EQ(Driver->Boxes.size(), 1u);
    EXPECT_EQ(Driver->Boxes[0].Type, mtError);
    EXPECT_EQ(Driver->Boxes[0].Text,
              "Для успешной установки задачника VORN for Zat необходимо, чтобы в указанном каталоге "
              "уже был установлен базовый вариант задачника Druvel версии не ниже 4.10.\r\n"
              "В каталоге \"" +
                  target + "\" базовый вариант задачника не найден.");
    EXPECT_FALSE(DirectoryExists(target));
    EXPECT_FALSE(RunWindowShown());
    EXPECT_FALSE(Application->Terminated());

    // With every required file there, the run window opens under the setup window.
    WriteRequiredFiles(target);
    TTestDriver::Click(*f.Button4);
    // The run reads the volume, which is no archive here: its error routine ends the program.
    ASSERT_EQ(Driver->Boxes.size(), 2u);
    EXPECT_EQ(Driver->Boxes[1].Text.substr(0, 25), "Ошибка при чтении данных.");
    ASSERT_TRUE(RunWindowShown());
    EXPECT_EQ(InstF3->OuterWidth(), f.OuterWidth());
    EXPECT_EQ(InstF3->ScreenLeft(), f.ScreenLeft());
    EXPECT_EQ(InstF3->ScreenTop(), f.ScreenTop() + f.OuterHeight());
    EXPECT_EQ(InstF3->ProgressBar1->Left(), 5);
    EXPECT_EQ(InstF3->ProgressBar1->Width(), f.OuterWidth() - 10);
    EXPECT_EQ(InstF3->Label1->Caption(), "Установка VORN for Zat: чтение данных...");
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(FileExists(target + "\\$$tfile$.tmp"));
}

TEST_F(SetupTest, AutoRunStartsTheInstallActionOnce200msAfterTheWindowIsShown) {
    WriteSettings("[Main]\nAutoRun=1\nInstallDir=" + std::string(Dir / "nothing here") + "\n");
    TInstF1& f = StartAndShow();
    EXPECT_TRUE(f.Timer1->Enabled());
    Driver->AdvanceTime(199);
    EXPECT_TRUE(Driver->Boxes.empty());
    Driver->AdvanceTime(1);
    ASSERT_EQ(Driver->Boxes.size(), 1u);
    EXPECT_EQ(Driver->Boxes[0].Text.substr(0, 23), "Для успешной установки ");
    EXPECT_FALSE(f.Timer1->Enabled());
    Driver->AdvanceTime(1000);
    EXPECT_EQ(Driver->Boxes.size(), 1u);
    EXPECT_FALSE(Application->Terminated());  // waiting for the user again
}

TEST_F(SetupTest, WithoutAutoRunNothingStartsByItself) {
    TInstF1& f = StartAndShow();
    EXPECT_FALSE(f.Timer1->Enabled());
    EXPECT_FALSE(Driver->TimerPending());
}

TEST_F(SetupTest, MissingTargetIsCreatedWithItsParentsAndWriteTested) {
    UsePackage([](TPackageDescription& p) { p.RequiredFiles.Count = 0; });
    TInstF1& f = StartAndShow();
    const AnsiString target = Dir / "a\\b\\c";
    TTestDriver::Type(*f.Edit1, target + "\\");
    TTestDriver::Click(*f.Button4);
    EXPECT_TRUE(DirectoryExists(target));
    EXPECT_FALSE(FileExists(target + "\\$$tfile$.tmp"));  // the write test left nothing
    EXPECT_TRUE(RunWindowShown());
    // The volume is no archive: the run's error routine is the only box.
    ASSERT_EQ(Driver->Boxes.size(), 1u);
    EXPECT_EQ(Driver->Boxes[0].Text.substr(0, 25), "Ошибка при чтении данных.");
    ASSERT_NE(ExcludedNames, nullptr);
    EXPECT_EQ(ExcludedNames->Count(), 0);
}

TEST_F(SetupTest, EmptyFolderFieldEndsTheActionThroughTheGeneralErrorReport) {
    UsePackage([](TPackageDescription& p) { p.RequiredFiles.Count = 0; });
    TInstF1& f = StartAndShow();
    for (const char* typed : {"", "\\"}) {
        Driver->Boxes.clear();
        TTestDriver::Type(*f.Edit1, typed);
        TTestDriver::Click(*f.Button4);
        ASSERT_EQ(Driver->Boxes.size(), 1u);
        EXPECT_EQ(Driver->Boxes[0].Caption, "VORNforZat Install");
        EXPECT_EQ(Driver->Boxes[0].Type, mtError);
        EXPECT_EQ(Driver->Boxes[0].Buttons, mbOK);
        EXPECT_EQ(Driver->Boxes[0].Text, "Не указан каталог для установки задачника.");
        EXPECT_FALSE(RunWindowShown());
        EXPECT_EQ(ExcludedNames, nullptr);
    }
}

TEST_F(SetupTest, PreviousVersionFolderStopsWithItsWarning) {
    const AnsiString old = Dir / "Druvel 4";
    ForceDirectories(old);
    UsePackage([old](TPackageDescription& p) { p.PreviousVersionDir = old; });
    TInstF1& f = StartAndShow();
    TTestDriver::Click(*f.Button4);
    ASSERT_EQ(Driver->Boxes.size(), 1u);
    EXPECT_EQ(Driver->Boxes[0].Type, mtWarning);
    EXPECT_EQ(Driver->Boxes[0].Caption, "Предупреждение");
    EXPECT_EQ(Driver->Boxes[0].Text, PackageDescription.PreviousVersionMessage);
    EXPECT_EQ(PackageDescription.InstallDir, "");  // stopped before the folder was taken
}

TEST_F(SetupTest, WriteTestReplacesAnExistingProbeFileAndDeletesIt) {
    const AnsiString probe = Dir / "$$tfile$.tmp";
    WriteFileBytes(probe, "old contents");
    EXPECT_TRUE(CanWriteToFolder(Dir.Path()));
    EXPECT_FALSE(FileExists(probe));
    EXPECT_FALSE(CanWriteToFolder(Dir / "no such folder"));
}

#ifndef _WIN32
TEST_F(SetupTest, FolderThatCannotBeCreatedOrWrittenIsNamedInTheMessage) {
    UsePackage([](TPackageDescription& p) { p.RequiredFiles.Count = 0; });
    TInstF1& f = StartAndShow();
    const AnsiString target = Dir / "locked\\inner";
    Faults::Set([](TFaultOp op, const AnsiString& path) {
        return op == TFaultOp::CreateDir && path.find("locked") != AnsiString::npos;
    });
    TTestDriver::Type(*f.Edit1, target);
    TTestDriver::Click(*f.Button4);
    Faults::Clear();
    ASSERT_EQ(Driver->Boxes.size(), 1u);
    EXPECT_EQ(Driver->Boxes[0].Text, "Невозможно создать каталог \"" + target +
                                         "\".\r\nВыберите другой каталог для установки задачника.");
    EXPECT_FALSE(RunWindowShown());

    ForceDirectories(target);
    Faults::Set([](TFaultOp op, const AnsiString& path) {
        return op == TFaultOp::Create && path.find("$$tfile$.tmp") != AnsiString::npos;
    });
    TTestDriver::Click(*f.Button4);
    Faults::Clear();
    ASSERT_EQ(Driver->Boxes.size(), 2u);
    EXPECT_EQ(Driver->Boxes[1].Text,
              "Каталог \"" + target + "\" закрыт на запись.\r\nВыберите другой каталог для установки задачника.");
    EXPECT_FALSE(RunWindowShown());
    EXPECT_FALSE(Application->Terminated());
}
#endif

TEST_F(SetupTest, EveryCloseRequestAsksAndOnlyYesEndsTheProgram) {
    struct Way {
        const char* name;
        std::function<void(TInstF1&)> close;
    } ways[] = {
        {"Esc", [](TInstF1& f) { TTestDriver::PressKey(f, vkEscape); }},
        {"exit button", [](TInstF1& f) { TTestDriver::Click(*f.Button5); }},
        {"close box", [](TInstF1& f) { TTestDriver::CloseBox(f); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        Application->DestroyForms();
        Driver->Boxes.clear();
        TInstF1& f = StartAndShow();
        ExcludedNames = std::make_unique<TStringList>();
        Driver->AnswerBoxes({mrNo});
        way.close(f);
        ASSERT_EQ(Driver->Boxes.size(), 1u);
        EXPECT_EQ(Driver->Boxes[0].Type, mtConfirmation);
        EXPECT_EQ(Driver->Boxes[0].Buttons, mbYes | mbNo);
        EXPECT_EQ(Driver->Boxes[0].Text, ExitQuestion);
        EXPECT_FALSE(Application->Terminated());
        EXPECT_NE(ExcludedNames, nullptr);
        Driver->AnswerBoxes({mrYes});
        way.close(f);
        EXPECT_EQ(Driver->Boxes.size(), 2u);
        EXPECT_TRUE(Application->Terminated());
        EXPECT_EQ(ExcludedNames, nullptr);  // freed by FormClose
    }
}

TEST_F(SetupTest, BrowseStartsAtTheFieldOrTheProgramFilesFolderAndKeepsItOnCancel) {
    TInstF1& f = StartAndShow();
    const AnsiString existing = Dir / "here";
    ForceDirectories(existing);
    TTestDriver::Type(*f.Edit1, existing);
    Driver->AnswerBoxes({mrYes});
    Driver->OnModal(TTestDriver::ChooseFolder("new one"));
    TTestDriver::Click(*f.Button1);
    EXPECT_EQ(f.Edit1->Text(), existing + "\\new one");
    EXPECT_FALSE(DirectoryExists(existing + "\\new one"));  // the chooser creates nothing
    ASSERT_EQ(Driver->Boxes.size(), 1u);
    EXPECT_EQ(Driver->Boxes[0].Text, "Указанный каталог не существует. Создать его?");

    Driver->OnModal(TTestDriver::CancelDialog());
    TTestDriver::Click(*f.Button1);  // the field names no existing folder now
    EXPECT_EQ(f.Edit1->Text(), existing + "\\new one");
    EXPECT_EQ(Driver->FolderDialogStarts, (std::vector<AnsiString>{existing, Dir / "pf"}));
}

TEST_F(SetupTest, CancelledSelectionStopsAndALaterActionRecomputesTheChecks) {
    UseComponentPackage();
    TInstF1& f = StartAndShow();
    const AnsiString target = Dir / "target";
    ForceDirectories(target + "\\Docs");
    TTestDriver::Type(*f.Edit1, target);
    Driver->OnModal([](TForm& dialog) {
        EXPECT_FALSE(InstF4->CheckListBox1->Checked(0));
        EXPECT_TRUE(InstF4->CheckListBox1->Checked(1));  // its folder exists
        TTestDriver::ToggleCheck(*InstF4->CheckListBox1, 0);
        TTestDriver::PressKey(dialog, vkEscape);
    });
    TTestDriver::Click(*f.Button4);
    EXPECT_FALSE(RunWindowShown());
    EXPECT_EQ(ExcludedNames, nullptr);
    EXPECT_TRUE(InstF4->CheckListBox1->Checked(0));  // the user's choice stays until the next action

    ForceDirectories(target + "\\Tools");
    Driver->OnModal([](TForm&) {
        TCheckListBox& list = *InstF4->CheckListBox1;
        EXPECT_FALSE(list.Checked(0));
        EXPECT_TRUE(list.Checked(1));
        EXPECT_TRUE(list.Checked(2));
        TTestDriver::Click(*InstF4->Button1);
    });
    TTestDriver::Click(*f.Button4);
    ASSERT_EQ(Driver->ModalForms.size(), 3u);
    EXPECT_EQ(Driver->ModalForms[1], InstF4);
    EXPECT_TRUE(RunWindowShown());
    ASSERT_NE(ExcludedNames, nullptr);
    EXPECT_EQ(ExcludedNames->Lines, std::vector<AnsiString>{"SAMPLES"});
}

TEST_F(SetupTest, ExcludeDirNamesUncheckComponentsOrGoIntoExcludedNames) {
    UseComponentPackage();
    TestPackage.SetValues = [values = TestPackage.SetValues](TPackageDescription& p) {
        values(p);
        p.SelectionFromDisk = false;
        p.Components.Add("Русский", "Примеры");
    };
    WriteSettings("[Main]\nSelectDialog=0\n[ExcludeDir]\n1=samples\n2=Extra\n3=ПРИМЕРЫ\n4=Docs\n");
    TInstF1& f = StartAndShow();
    TCheckListBox& list = *InstF4->CheckListBox1;
    ASSERT_EQ(list.Count(), 4);
    EXPECT_FALSE(list.Checked(0));
    EXPECT_FALSE(list.Checked(1));
    EXPECT_TRUE(list.Checked(2));
    EXPECT_FALSE(list.Checked(3));  // compared by the locale's letter case
    TTestDriver::Type(*f.Edit1, Dir / "t");
    TTestDriver::Click(*f.Button4);
    ASSERT_NE(ExcludedNames, nullptr);
    EXPECT_EQ(ExcludedNames->Lines, (std::vector<AnsiString>{"SAMPLES", "DOCS", "ПРИМЕРЫ", "EXTRA"}));
    EXPECT_EQ(Driver->ModalForms, std::vector<TForm*>{InstF3});  // no selection dialog
}
