// The final report's texts in the cases that shape them.
#include "install/FinalReport.h"

#include <gtest/gtest.h>

namespace {

TReportFacts Facts() {
    TReportFacts f;
    f.ProductName = "VORN for Zat";
    f.ProductNoun = "задачник";
    f.ProductNounGenitive = "задачника";
    f.GroupSubdir = "\\VORN for Zat";
    f.ShortcutCount = 4;
    return f;
}

const AnsiString kGroup = "Ярлыки задачника VORN for Zat помещены в группу \"VORN for Zat\" раздела \"Программы\" меню \"Пуск\".";
const AnsiString kClosing =
    "Из-за указанных проблем задачник VORN for Zat может работать не вполне корректно.\r\n"
    "Рекомендуется перезагрузить компьютер и повторно выполнить установку задачника VORN for Zat.";

}  // namespace

TEST(FinalReport, TextsOfTheCases) {
    struct Case {
        const char* name;
        TRunFailures failures;
        int shortcuts;
        bool startMenu;
        bool finishStarts;
        AnsiString expected;
    };
    const AnsiString ok = "Установка задачника VORN for Zat успешно завершена.";
    const AnsiString done = "Установка задачника VORN for Zat завершена.\r\n";
    const Case cases[] = {
        {"success with shortcuts", {}, 4, true, false, ok + "\r\n" + kGroup},
        {"success without shortcuts", {}, 0, true, false, ok},
        {"success, Start menu off", {}, 4, false, false, ok},
        {"success, follow-up program", {}, 0, true, true, ok + " Запуск."},
        {"one file given up", {"\"C:\\XR4\\a.dll\", ", "", "", ""}, 4, true, true,
         done + kGroup + "\r\nНе удалось обновить следующие файлы: \r\n\"C:\\XR4\\a.dll\".\r\n" + kClosing},
        {"two lists", {"\"C:\\a\", \"C:\\b\", ", "\"C:\\k\", ", "", ""}, 0, true, false,
         done + "Не удалось обновить следующие файлы: \r\n\"C:\\a\", \"C:\\b\".\r\n" +
             "Не удалось создать следующие файлы: \r\n\"C:\\k\".\r\n" + kClosing},
        {"group failed with a desktop shortcut failing too",
         {"", "", "\"D:\\Desktop\\XR\", \"P:\\VORN for Zat\\Readme\", ",
          "Не удалось создать программную группу \"VORN for Zat\".\r\n"},
         4, true, false, done + "Не удалось создать программную группу \"VORN for Zat\".\r\n" + kClosing},
    };
    for (const Case& c : cases) {
        TReportFacts f = Facts();
        f.ShortcutCount = c.shortcuts;
        f.StartMenu = c.startMenu;
        f.FinishProgramStarts = c.finishStarts;
        f.FinishProgramMessage = " Запуск.";
        EXPECT_EQ(FinalReportText(c.failures, f), c.expected) << c.name;
    }
}

TEST(FinalReport, GroupNameIsCutAtAHundredCharacters) {
    const AnsiString longName(150, 'G');
    EXPECT_EQ(GroupNameInText("\\" + longName), AnsiString(100, 'G'));
}
