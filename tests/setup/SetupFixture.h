// A setup program in a scratch folder: the program's own path, the registry value and the
// special folders point into it; the driver answers the boxes. Packages with components or
// several volumes are built from the compiled one.
#pragma once

#include "install/InstF3.h"
#include "platform/os/FileSystem.h"
#include "platform/ui/testdriver/TestDriver.h"
#include "setup/InstF1.h"
#include "setup/InstF2.h"
#include "setup/InstF4.h"
#include "setup/Package.h"
#include "tests/common/TestPaths.h"

#include <gtest/gtest.h>

class SetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        Driver = &TTestDriver::Install();
        ResetStartupServices();
        PackageDescription = TPackageDescription();
        Settings = TSettings();
        ForceDirectories(Dist());
        ForceDirectories(Dir / "pf");
        TStartupServices& s = StartupServices();
        s.ModuleFileName = [this] { return Module; };
        s.ReadProgramFilesValue = [this](AnsiString& value) {
            value = RegistryValue;
            return !value.empty();
        };
        s.SpecialFolder = [this](TSpecialFolder folder, AnsiString& path) {
            path = folder == TSpecialFolder::Programs ? Dir / "programs" : Dir / "desktop";
            return true;
        };
        s.SystemDir = [this] { return Dir / "system"; };
    }
    void TearDown() override {
        Application->DestroyForms();
        InstF1 = nullptr;
        InstF2 = nullptr;
        InstF3 = nullptr;
        InstF4 = nullptr;
        SetUiBackend(nullptr);
        ResetStartupServices();
        SetPackageForTests(nullptr);
        ExcludedNames.reset();
    }

    AnsiString Dist() const { return Dir / "dist"; }
    void WriteVolume(const AnsiString& name = "setup.dat") { WriteFileBytes(Dist() + "\\" + name, "PK"); }
    void WriteSettings(const std::string& text) { WriteFileBytes(Dist() + "\\setup.ini", text); }

    // The setup window created as the program creates it.
    TInstF1& StartSetup() {
        Application->CreateForm(InstF1);
        return *InstF1;
    }
    // Creation with a volume, then the window shown.
    TInstF1& StartAndShow() {
        if (!FileExists(Dist() + "\\setup.dat")) WriteVolume();
        TInstF1& f = StartSetup();
        f.Show();
        return f;
    }
    // A package like the compiled one, changed by `edit` after its own values are set.
    void UsePackage(std::function<void(TPackageDescription&)> edit) {
        TestPackage = CompiledPackage();
        auto values = TestPackage.SetValues;
        TestPackage.SetValues = [values, edit](TPackageDescription& p) {
            values(p);
            edit(p);
        };
        SetPackageForTests(&TestPackage);
    }
    // Components Samples ("Примеры"), Docs and Tools, and no required files.
    void UseComponentPackage(bool allowEmpty = false) {
        UsePackage([allowEmpty](TPackageDescription& p) {
            p.RequiredFiles.Count = 0;
            p.Components.Add("Примеры", "Samples");
            p.Components.Add("Документация", "Docs");
            p.Components.Add("Инструменты", "Tools");
            p.SelectionCaption = "Выбор компонентов";
            p.SelectionText = "Отметьте компоненты, которые нужно установить.";
            p.AllowEmptySelection = allowEmpty;
        });
    }
    void WriteRequiredFiles(const AnsiString& folder) {
        ForceDirectories(folder);
        for (const char* name : {"results.vrd", "XR4Setup.exe", "loadvorn.dat", "XR4vorn.dll", "XR.INI"})
            WriteFileBytes(folder + "\\" + name, "x");
    }
    std::vector<AnsiString> BoxTexts() const {
        std::vector<AnsiString> texts;
        for (const TShownBox& b : Driver->Boxes) texts.push_back(b.Text);
        return texts;
    }
    bool RunWindowShown() const {
        for (TForm* f : Driver->ModalForms)
            if (f == InstF3) return true;
        return false;
    }

    TScratchDir Dir;
    AnsiString Module = Dir / "dist\\setup.exe";
    AnsiString RegistryValue = Dir / "pf";
    TTestDriver* Driver = nullptr;
    TPackage TestPackage;
};
