// The folder chooser: a window of the layer with the typed folder name, the folders of the
// current folder, its files (for orientation only) and the drives. A typed folder that does
// not exist is confirmed with "Указанный каталог не существует. Создать его?"; it is created
// only when the caller asks for that. Relies on the file system layer for listings.
#pragma once

#include "platform/ui/Forms.h"

class TFolderDialog : public TForm {
public:
    TFolderDialog();
    // Shows the chooser at `folder` (or the nearest place that exists); true with the chosen
    // folder when the user confirms.
    bool Execute(AnsiString& folder, bool createIfMissing);

    // Opens a folder: lists its folders and files and puts its path in the name field.
    void OpenFolder(const AnsiString& folder);
    const AnsiString& CurrentFolder() const { return FCurrent; }
    // The folder the typed name stands for (relative names are taken in the current folder).
    AnsiString TypedFolder() const;

    TLabel* Label1 = nullptr;  // "Имя каталога:"
    TEdit* Edit1 = nullptr;
    TLabel* PathLabel = nullptr;
    TLabel* Label2 = nullptr;  // "Каталоги:"
    TListBox* FolderList = nullptr;
    TLabel* Label3 = nullptr;  // "Файлы: (*.*)"
    TListBox* FileList = nullptr;
    TLabel* Label4 = nullptr;  // "Диски:"
    TComboBox* DriveList = nullptr;
    TButton* OkButton = nullptr;
    TButton* CancelButton = nullptr;
    TButton* NetworkButton = nullptr;

    static constexpr const char* ParentEntry = "..";

private:
    void OkButtonClick(TObject* Sender);
    void FolderListDblClick(TObject* Sender);
    void DriveListClick(TObject* Sender);
    void NetworkButtonClick(TObject* Sender);
    void FillDrives();
    AnsiString FCurrent, FChosen;
    bool FCreate = false;
};

// The parent of a folder ("C:\A" gives "C:\", "\home" gives "\"); the folder itself at a root.
AnsiString ParentFolder(const AnsiString& folder);
