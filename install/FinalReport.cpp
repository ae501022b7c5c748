// The final report's texts.
#include "install/FinalReport.h"

// Each failure entry ends with these two characters, which the list's last entry loses.
constexpr size_t EntrySeparatorLength = 2;

AnsiString GroupNameInText(const AnsiString& groupSubdir) {
    return groupSubdir.empty() ? AnsiString() : groupSubdir.substr(1, MaxGroupNameInText);
}

AnsiString FailureList(const AnsiString& header, const AnsiString& entries) {
    if (entries.empty()) return entries;
    const size_t kept = entries.size() >= EntrySeparatorLength ? entries.size() - EntrySeparatorLength : 0;
    return header + entries.substr(0, kept) + ".\r\n";
}

AnsiString FinalReportText(const TRunFailures& failures, const TReportFacts& facts) {
    const AnsiString updates = FailureList("Не удалось обновить следующие файлы: \r\n", failures.FailedUpdates);
    const AnsiString creates = FailureList("Не удалось создать следующие файлы: \r\n", failures.FailedCreates);
    const AnsiString shortcuts = FailureList("Не удалось создать следующие ярлыки: \r\n", failures.FailedShortcuts);
    const AnsiString product = facts.ProductNounGenitive + " " + facts.ProductName;
    const bool groupSentence = facts.ShortcutCount > 0 && facts.StartMenu;
    const AnsiString group = "Ярлыки " + product + " помещены в группу \"" + GroupNameInText(facts.GroupSubdir) +
                             "\" раздела \"Программы\" меню \"Пуск\".";
    if (!failures.Any()) {
        AnsiString m = "Установка " + product + " успешно завершена.";
        if (groupSentence) m += "\r\n" + group;
        if (facts.FinishProgramStarts) m += facts.FinishProgramMessage;
        return m;
    }
    AnsiString m = "Установка " + product + " завершена.\r\n";
    if (failures.GroupError.empty()) {
        if (groupSentence) m += group + "\r\n";
        m += updates + creates + shortcuts;
    } else {
        m += updates + creates + failures.GroupError;
    }
    m += "Из-за указанных проблем " + facts.ProductNoun + " " + facts.ProductName +
         " может работать не вполне корректно.\r\n" + "Рекомендуется перезагрузить компьютер и повторно выполнить установку " +
         product + ".";
    return m;
}
