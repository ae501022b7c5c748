// Associations, shortcut files and the follow-up program through the platform's services.
#include "install/ShellSteps.h"

#include "install/FinalReport.h"
#include "platform/os/Registry.h"
#include "platform/os/Shell.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/SysUtils.h"

void RegisterAssociation(const AnsiString& Extension, const AnsiString& ProgramDir, const AnsiString& ProgramFile,
                         const AnsiString& Description, int32_t IconIndex) {
    const AnsiString program = ProgramDir + "\\" + ProgramFile;
    const std::pair<AnsiString, AnsiString> keys[] = {
        {"." + Extension, Extension},
        {Extension, Description},
        {Extension + "\\DefaultIcon", program + "," + IntToStr(IconIndex)},
        {Extension + "\\Shell", "Open"},
        {Extension + "\\Shell\\Open", "Open"},
        {Extension + "\\Shell\\Open\\command", "\"" + program + "\" \"%1\""},
    };
    try {
        for (const auto& [key, value] : keys) RegWriteDefaultValue(TRegistryRoot::ClassesRoot, key, value);
    } catch (const Exception&) {
        // The record ends here; the others are still registered.
    }
}

bool CreateShortcut(const AnsiString& target, const AnsiString& arguments, const AnsiString& workDir,
                    const AnsiString& linkPath) {
    TShellLink::InitializeComLibrary();
    TShellLink link;
    if (!link.Create()) return false;
    if (!link.SetPath(target) || !link.SetArguments(arguments) || !link.SetWorkingDirectory(workDir)) return false;
    std::u16string name = Cp1251ToUtf16(linkPath);
    if (name.size() > ShortcutNameUnits - 1) name.clear();
    return link.Save(name, true);
}

bool StartProgram(const AnsiString& program, const AnsiString& params, const AnsiString& workDir, int ShowMode) {
    return StartShellProgram(program, params, workDir, ShowModeOf(ShowMode));
}

AnsiString GroupErrorText(const AnsiString& groupSubdir) {
    return "Не удалось создать программную группу \"" + GroupNameInText(groupSubdir) + "\".\r\n";
}
