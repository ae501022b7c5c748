// The folder chooser's navigation and its confirmation of a folder that does not exist.
#include "platform/ui/FolderDialog.h"

#include "platform/os/FileSystem.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/UiBackend.h"

#include <algorithm>

namespace {

constexpr int DialogWidth = 500, DialogHeight = 270;
constexpr int ColumnWidth = 232, FileColumnLeft = 248, FileColumnWidth = 160;
constexpr int ButtonLeft = 416, ButtonWidth = 75, ButtonHeight = 25;
constexpr int ListTop = 86, ListHeight = 130;

bool IsRoot(const AnsiString& folder) {
    return folder == "\\" || (folder.size() == 3 && folder[1] == ':' && folder[2] == '\\');
}

AnsiString Join(const AnsiString& folder, const AnsiString& name) { return IncludeTrailingBackslash(folder) + name; }

// Normalises a folder: no trailing backslash except at a root, "X:" becomes "X:\".
AnsiString Normal(AnsiString folder) {
    if (folder.size() == 2 && folder[1] == ':') return folder + "\\";
    while (folder.size() > 1 && folder.back() == '\\' && !IsRoot(folder)) folder.pop_back();
    return folder;
}

std::vector<AnsiString> Sorted(std::vector<AnsiString> names) {
    std::sort(names.begin(), names.end(), [](const AnsiString& a, const AnsiString& b) {
        return AnsiCompareText(a, b) < 0;
    });
    return names;
}

}  // namespace

AnsiString ParentFolder(const AnsiString& folder) {
    const AnsiString f = Normal(folder);
    if (IsRoot(f)) return f;
    const size_t slash = f.rfind('\\');
    if (slash == AnsiString::npos) return f;
    if (slash == 0) return "\\";
    if (slash == 2 && f[1] == ':') return f.substr(0, 3);
    return f.substr(0, slash);
}

TFolderDialog::TFolderDialog() {
    SetBorderStyle(bsDialog);
    SetBorderIcons(biSystemMenu);
    Position = poScreenCenter;
    SetCaption("Выбор каталога");
    TFont font = Font();
    font.Charset = fcRussianCharset;
    SetFont(font);
    SetClientSize(DialogWidth, DialogHeight);

    Label1 = Create<TLabel>("Label1");
    Label1->SetBounds(8, 8, 0, 0);
    Label1->SetCaption("Имя каталога:");
    Edit1 = Create<TEdit>("Edit1");
    Edit1->SetBounds(8, 24, ColumnWidth, 21);
    Edit1->TabOrder = 0;
    PathLabel = Create<TLabel>("PathLabel");
    PathLabel->SetAutoSize(false);
    PathLabel->SetBounds(8, 50, ColumnWidth, 16);
    Label2 = Create<TLabel>("Label2");
    Label2->SetBounds(8, 70, 0, 0);
    Label2->SetCaption("Каталоги:");
    FolderList = Create<TListBox>("FolderList");
    FolderList->SetBounds(8, ListTop, ColumnWidth, ListHeight);
    FolderList->TabOrder = 1;
    FolderList->OnDblClick = [this](TObject* s) { FolderListDblClick(s); };
    Label3 = Create<TLabel>("Label3");
    Label3->SetBounds(FileColumnLeft, 70, 0, 0);
    Label3->SetCaption("Файлы: (*.*)");
    FileList = Create<TListBox>("FileList");
    FileList->SetBounds(FileColumnLeft, ListTop, FileColumnWidth, ListHeight);
    FileList->SetEnabled(false);
    Label4 = Create<TLabel>("Label4");
    Label4->SetBounds(8, 222, 0, 0);
    Label4->SetCaption("Диски:");
    DriveList = Create<TComboBox>("DriveList");
    DriveList->SetBounds(8, 238, ColumnWidth, 21);
    DriveList->TabOrder = 2;
    DriveList->OnClick = [this](TObject* s) { DriveListClick(s); };

    OkButton = Create<TButton>("OkButton");
    OkButton->SetBounds(ButtonLeft, 24, ButtonWidth, ButtonHeight);
    OkButton->SetCaption("OK");
    OkButton->SetDefault(true);
    OkButton->TabOrder = 3;
    OkButton->OnClick = [this](TObject* s) { OkButtonClick(s); };
    CancelButton = Create<TButton>("CancelButton");
    CancelButton->SetBounds(ButtonLeft, 56, ButtonWidth, ButtonHeight);
    CancelButton->SetCaption("Отмена");
    CancelButton->Cancel = true;
    CancelButton->ModalResult = mrCancel;
    CancelButton->TabOrder = 4;
    NetworkButton = Create<TButton>("NetworkButton");
    NetworkButton->SetBounds(ButtonLeft, 236, ButtonWidth, ButtonHeight);
    NetworkButton->SetCaption("Сеть...");
    NetworkButton->TabOrder = 5;
    NetworkButton->SetVisible(UiBackend().CanConnectNetworkDrive());
    NetworkButton->OnClick = [this](TObject* s) { NetworkButtonClick(s); };
}

void TFolderDialog::FillDrives() {
    std::vector<AnsiString> drives;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const AnsiString root = AnsiString(1, letter) + ":\\";
        const int type = GetDriveType(root);
        if (type != DRIVE_NO_ROOT && type != DRIVE_UNKNOWN_TYPE) drives.push_back(AnsiString(1, letter) + ":");
    }
    // Without a drive letter (Linux) the host's root stands for the drive.
    if (FCurrent.empty() || FCurrent[0] == '\\') drives.push_back("\\");
    DriveList->SetItems(drives);
    for (size_t i = 0; i < drives.size(); ++i) {
        const AnsiString& d = drives[i];
        if (d == "\\" ? (!FCurrent.empty() && FCurrent[0] == '\\') : UpperCase(FCurrent.substr(0, 2)) == d)
            DriveList->SetItemIndex(static_cast<int>(i));
    }
}

void TFolderDialog::OpenFolder(const AnsiString& folder) {
    FCurrent = Normal(folder);
    std::vector<AnsiString> folders, files;
    for (const TSearchRec& rec : FindFiles(Join(FCurrent, "*.*"))) {
        if (rec.Attr & faDirectory)
            folders.push_back(rec.Name);
        else
            files.push_back(rec.Name);
    }
    folders = Sorted(folders);
    if (!IsRoot(FCurrent)) folders.insert(folders.begin(), ParentEntry);
    FolderList->SetItems(folders);
    FileList->SetItems(Sorted(files));
    PathLabel->SetCaption(FCurrent);
    Edit1->SetText(FCurrent);
    FillDrives();
}

AnsiString TFolderDialog::TypedFolder() const {
    const AnsiString typed = Trim(Edit1->Text());
    if (typed.empty()) return FCurrent;
    const bool absolute = typed[0] == '\\' || (typed.size() >= 2 && typed[1] == ':');
    return Normal(absolute ? typed : Join(FCurrent, typed));
}

void TFolderDialog::OkButtonClick(TObject*) {
    const AnsiString folder = TypedFolder();
    if (!DirectoryExists(folder)) {
        if (MessageDlg("Указанный каталог не существует. Создать его?", mtConfirmation, mbYes | mbNo) != mrYes)
            return;
        if (FCreate && !ForceDirectories(folder)) {
            MessageDlg("Невозможно создать каталог \"" + folder + "\".", mtError, mbOK);
            return;
        }
    }
    FChosen = folder;
    ModalResult = mrOk;
}

void TFolderDialog::FolderListDblClick(TObject*) {
    const int i = FolderList->ItemIndex();
    if (i < 0) return;
    const AnsiString& name = FolderList->Items()[static_cast<size_t>(i)];
    OpenFolder(name == ParentEntry ? ParentFolder(FCurrent) : Join(FCurrent, name));
}

void TFolderDialog::DriveListClick(TObject*) {
    const int i = DriveList->ItemIndex();
    if (i < 0) return;
    const AnsiString& drive = DriveList->Items()[static_cast<size_t>(i)];
    const AnsiString root = drive == "\\" ? drive : drive + "\\";
    if (DirectoryExists(root))
        OpenFolder(root);
    else
        MessageDlg("Диск " + drive + " недоступен.", mtError, mbOK);
}

void TFolderDialog::NetworkButtonClick(TObject*) {
    UiBackend().ConnectNetworkDrive();
    FillDrives();
}

bool TFolderDialog::Execute(AnsiString& folder, bool createIfMissing) {
    FCreate = createIfMissing;
    // The nearest existing folder at or above the one given.
    AnsiString start = Normal(folder.empty() ? GetCurrentDir() : folder);
    while (!DirectoryExists(start) && ParentFolder(start) != start) start = ParentFolder(start);
    if (!DirectoryExists(start)) start = GetCurrentDir();
    OpenFolder(start);
    // A folder that does not exist keeps its name in the field, so it can be confirmed.
    if (!folder.empty() && !DirectoryExists(folder)) Edit1->SetText(folder);
    SetActiveControl(Edit1);
    if (ShowModal() != mrOk) return false;
    folder = FChosen;
    return true;
}
