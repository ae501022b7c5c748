// The setup window: its components, its creation steps and its handlers.
#include "setup/InstF1.h"

#include "install/InstF3.h"
#include "platform/os/FileStream.h"
#include "platform/os/FileSystem.h"
#include "platform/rtl/DateUtils.h"
#include "setup/InstF2.h"
#include "setup/InstF4.h"
#include "setup/Package.h"

TInstF1* InstF1 = nullptr;

namespace {

const AnsiString WriteTestName = "\\$$tfile$.tmp";

TFont LabelFont(const char* name, int points, int style) {
    TFont font;
    font.Name = name;
    font.SetSize(points);
    font.Style = style;
    font.Charset = fcRussianCharset;
    return font;
}

TLabel* FixedLabel(TForm& form, const char* name, int left, int top, int width, int height, const TFont& font) {
    TLabel* label = form.Create<TLabel>(name);
    label->SetAutoSize(false);
    label->SetFont(font);
    label->SetBounds(left, top, width, height);
    return label;
}

TButton* MakeButton(TForm& form, const char* name, int left, int top, int width, const AnsiString& caption,
                    int tabOrder) {
    TButton* button = form.Create<TButton>(name);
    button->SetBounds(left, top, width, 25);
    button->SetCaption(caption);
    button->TabOrder = tabOrder;
    return button;
}

}  // namespace

TInstF1::TInstF1() {
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu | biMinimize);
    SetClientSize(FormClientWidth, FormClientHeight);
    Position = poDesktopCenter;
    KeyPreview = true;
    TFont font;
    font.SetSize(8);
    font.Charset = fcRussianCharset;
    SetFont(font);

    const TFont title = LabelFont("Arial", 20, fsBold | fsItalic);
    Label2 = FixedLabel(*this, "Label2", 22, 18, 594, 32, title);
    Label2->Transparent = true;
    TFont shadow = title;
    shadow.Color = ShadowColor;
    Label2->SetFont(shadow);
    Label1 = FixedLabel(*this, "Label1", 20, 17, 594, 32, shadow);
    Label1->Transparent = true;
    Label3 = FixedLabel(*this, "Label3", 20, 59, 605, 23, LabelFont("Arial", 14, 0));
    Label4 = FixedLabel(*this, "Label4", 20, 97, 594, 19, LabelFont("Arial", 10, 0));
    Label4->SetAlignment(taRightJustify);
    Bevel1 = Create<TBevel>("Bevel1");
    Bevel1->SetBounds(8, 127, 616, 9);
    Bevel1->Shape = bsBottomLine;
    Label5 = Create<TLabel>("Label5");
    TFont prompt = LabelFont("MS Sans Serif", 8, 0);
    prompt.Color = clWindowText;
    Label5->SetFont(prompt);
    Label5->SetBounds(20, 156, 0, 0);
    Label5->SetCaption("Label5");
    Edit1 = Create<TEdit>("Edit1");
    Edit1->SetBounds(312, 153, 217, 21);
    Edit1->TabOrder = 0;
    Button1 = MakeButton(*this, "Button1", 542, 151, 75, "Обзор...", 1);
    Button2 = MakeButton(*this, "Button2", 15, 208, 178, "Описание", 2);
    Button2->Tag = 1;
    Button3 = MakeButton(*this, "Button3", 207, 208, 178, "Лицензионное соглашение", 3);
    Button3->Tag = 2;
    Button4 = MakeButton(*this, "Button4", 424, 208, 89, "Установка", 4);
    Button4->SetDefault(true);
    Button5 = MakeButton(*this, "Button5", 528, 208, 89, "Выход", 5);
    Bevel2 = Create<TBevel>("Bevel2");
    Bevel2->SetBounds(8, 184, 616, 9);
    Bevel2->Shape = bsBottomLine;
    Label6 = FixedLabel(*this, "Label6", 20, 96, 594, 19, LabelFont("Arial", 12, 0));
    Label6->Transparent = true;
    Timer1 = Create<TTimer>("Timer1");
    Timer1->SetEnabled(false);
    Timer1->SetInterval(TimerInterval);
    SetActiveControl(Button4);

    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnShow = [this](TObject* s) { FormShow(s); };
    OnKeyDown = [this](TObject* s, uint16_t& key, TShiftState shift) { FormKeyDown(s, key, shift); };
    OnKeyPress = [this](TObject* s, char& key) { FormKeyPress(s, key); };
    OnCloseQuery = [this](TObject* s, bool& canClose) { FormCloseQuery(s, canClose); };
    OnClose = [this](TObject* s, TCloseAction& action) { FormClose(s, action); };
    Timer1->OnTimer = [this](TObject* s) { Timer1Timer(s); };
    Button1->OnClick = [this](TObject* s) { Button1Click(s); };
    Button2->OnClick = [this](TObject* s) { Button2Click(s); };
    Button3->OnClick = [this](TObject* s) { Button2Click(s); };
    Button4->OnClick = [this](TObject* s) { Button4Click(s); };
    Button5->OnClick = [this](TObject* s) { Button5Click(s); };
}

void TInstF1::FormCreate(TObject*) {
    TPackageDescription& p = PackageDescription;
    const TPackagePresentation& text = CurrentPackage().Presentation;
    BuildFolders();

    BuildVolumeCount();
    TFont blue = Label1->Font();
    blue.Color = TitleColor;
    Label1->SetFont(blue);
    for (TLabel* label : {Label3, Label4, Label6}) {
        TFont font = label->Font();
        font.Color = Label1->Font().Color;
        label->SetFont(font);
    }

    Application->SetTitle(text.ApplicationTitle);
    SetCaption(text.WindowCaption);
    BuildVersion();

    Label1->SetCaption(text.TitleLine);
    Label3->SetCaption(text.DescriptionLine);
    Label4->SetCaption(text.AuthorLine);
    Label5->SetCaption(text.FolderPrompt);
    Edit1->SetText(p.ProgramFilesDir + text.DefaultFolderTail);

    BuildPackageValues();

    // The folder field begins a fixed gap after the prompt; its right edge stays.
    const int right = Edit1->Left() + Edit1->Width();
    const int left = Label5->Left() + Label5->Width() + FolderFieldGap;
    Edit1->SetBounds(left, Edit1->Top(), right - left, Edit1->Height());

    BuildDataFileName();

    for (int n = 1; n <= p.VolumeCount; ++n) {
        if (!FileExists(VolumeFileName(n))) {
            MessageDlg("Не найден файл " + VolumeDisplayName(n) + ".\r\n" + "Выполнить установку " +
                           p.ProductNounGenitive + " " + p.ProductName + " невозможно.",
                       mtError, mbOK);
            SetWindowState(wsMinimized);
            Application->Terminate();
            return;
        }
    }
    FinishCreation();
}

void TInstF1::FinishCreation() {
    TPackageDescription& p = PackageDescription;
    Label2->SetCaption(Label1->Caption());

    try {
        const TDateTime date = FileLastWriteTime(VolumeFileName(1));
        if (date == 0) throw EInOutError("no date");
        Label6->SetCaption("Версия " + p.Version + " от " + FormatDateDdMmYyyy(date));
    } catch (const std::exception&) {
        Label6->SetCaption("");
    }

    Button2->SetCaption("Описание " + p.ProductNounGenitive);
    p.RunCaption = "Установка " + p.ProductName;

    if (!FileExists(p.StartDir + "\\readme.txt")) {
        Button2->SetVisible(false);
        Button3->SetLeft(Button2->Left());
    }
    if (!FileExists(p.StartDir + "\\license.txt")) Button3->SetVisible(false);

    Application->CreateForm(InstF2);
    Application->CreateForm(InstF3);
    Application->CreateForm(InstF4);

    if (p.AllowEmptySelection) InstF4->CheckListBox1->OnClickCheck = nullptr;
    if (p.Components.Count > 0) {
        InstF4->SetCaption(p.SelectionCaption);
        InstF4->StaticText1->SetCaption(p.SelectionText);
        InstF4->SetClientHeight(InstF4->Panel1->Height() + InstF4->StaticText1->Height() + p.SelectionExtraHeight);
    }
    for (int i = 0; i < p.Components.Count; ++i) InstF4->CheckListBox1->AddItem(p.Components.Captions[i]);
    for (int i = 0; i < p.Components.Count; ++i) {
        InstF4->CheckListBox1->SetChecked(i, true);
        const AnsiString folder = AnsiUpperCase(p.Components.Folders[i]);
        for (int k = 0; k < Settings.ExcludeDir.Count; ++k) {
            if (AnsiUpperCase(Settings.ExcludeDir[k]) == folder) {
                InstF4->CheckListBox1->SetChecked(i, false);
                break;
            }
        }
    }
    if (!Settings.InstallDir.empty()) Edit1->SetText(Settings.InstallDir);
}

void TInstF1::FormShow(TObject*) {
    if (Settings.AutoRun) Timer1->SetEnabled(true);
}

void TInstF1::Timer1Timer(TObject*) {
    Timer1->SetEnabled(false);
    Button4Click(Button4);
}

void TInstF1::Button1Click(TObject*) {
    AnsiString folder = Edit1->Text();
    if (!DirectoryExists(folder)) folder = PackageDescription.ProgramFilesDir;
    if (SelectDirectory(folder, false)) Edit1->SetText(folder);
}

void TInstF1::Button2Click(TObject* Sender) {
    if (auto* button = dynamic_cast<TButton*>(Sender)) InstF2->ShowDocument(button->Tag);
}

void TInstF1::Button4Click(TObject*) {
    TPackageDescription& p = PackageDescription;
    if (!p.PreviousVersionDir.empty() && DirectoryExists(p.PreviousVersionDir)) {
        MessageDlg(p.PreviousVersionMessage, mtWarning, mbOK);
        return;
    }

    p.InstallDir = Edit1->Text();
    if (!p.InstallDir.empty() && p.InstallDir.back() == '\\') p.InstallDir.pop_back();
    // Left open by the design: an empty field would make every later test name the root of
    // the current drive. The general error report shows this.
    if (p.InstallDir.empty()) throw Exception("Не указан каталог для установки " + p.ProductNounGenitive);

    for (int i = 0; i < p.RequiredFiles.Count; ++i) {
        if (!FileExists(p.InstallDir + "\\" + p.RequiredFiles[i])) {
            MessageDlg(ExpandInstallDir(p.MissingBaseMessage), mtError, mbOK);
            return;
        }
    }

    if (!DirectoryExists(p.InstallDir)) ForceDirectories(p.InstallDir);
    if (!DirectoryExists(p.InstallDir)) {
        MessageDlg("Невозможно создать каталог \"" + p.InstallDir + "\".\r\n" + "Выберите другой каталог для установки " +
                       p.ProductNounGenitive + ".",
                   mtError, mbOK);
        return;
    }
    if (!CanWriteToFolder(p.InstallDir)) {
        MessageDlg("Каталог \"" + p.InstallDir + "\" закрыт на запись.\r\n" + "Выберите другой каталог для установки " +
                       p.ProductNounGenitive + ".",
                   mtError, mbOK);
        return;
    }

    TCheckListBox& list = *InstF4->CheckListBox1;
    if (p.SelectionFromDisk)
        for (int i = 0; i < list.Count(); ++i)
            list.SetChecked(i, DirectoryExists(p.InstallDir + "\\" + p.Components.Folders[i]));

    if (p.Components.Count > 0 && Settings.SelectDialog)
        if (InstF4->ShowModal() != mrOk) return;

    ExcludedNames = std::make_unique<TStringList>();
    for (int i = 0; i < list.Count(); ++i)
        if (!list.Checked(i)) ExcludedNames->Add(AnsiUpperCase(p.Components.Folders[i]));
    for (int k = 0; k < Settings.ExcludeDir.Count; ++k) {
        const AnsiString name = AnsiUpperCase(Settings.ExcludeDir[k]);
        bool isComponent = false;
        for (int i = 0; i < p.Components.Count && !isComponent; ++i)
            isComponent = AnsiUpperCase(p.Components.Folders[i]) == name;
        if (!isComponent) ExcludedNames->Add(name);
    }

    InstF3->SetOuterWidth(OuterWidth());
    InstF3->SetScreenPos(ScreenLeft(), ScreenTop() + OuterHeight());
    InstF3->ProgressBar1->SetBounds(5, InstF3->ProgressBar1->Top(), InstF3->OuterWidth() - 10,
                                    InstF3->ProgressBar1->Height());
    InstF3->Label1->SetCaption(p.RunCaption + ": чтение данных...");
    InstF3->ShowModal();
}

void TInstF1::Button5Click(TObject*) { Close(); }

void TInstF1::FormKeyDown(TObject*, uint16_t& Key, TShiftState) {
    if (Key != vkF1) return;
    if (Button2->Visible())
        Button2Click(Button2);
    else if (Button3->Visible())
        Button2Click(Button3);
}

void TInstF1::FormKeyPress(TObject*, char& Key) {
    if (Key == static_cast<char>(vkEscape)) Close();
}

void TInstF1::FormCloseQuery(TObject*, bool& CanClose) {
    CanClose = MessageDlg("Вы хотите выйти из программы,\r\nне выполнив установку " +
                              PackageDescription.ProductNounGenitive + "?",
                          mtConfirmation, mbYes | mbNo) == mrYes;
}

void TInstF1::FormClose(TObject*, TCloseAction&) { ExcludedNames.reset(); }

bool CanWriteToFolder(const AnsiString& folder) {
    const AnsiString name = folder + WriteTestName;
    try {
        TFileStream file(name, fmCreate);
        file.Close();
    } catch (const std::exception&) {
        return false;
    }
    DeleteFile(name);
    return true;
}
