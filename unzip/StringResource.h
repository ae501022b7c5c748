// Numbered message tables of the archive reader, looked up by table name and number.
// The tables are built into the program as constants; a process-wide cache holds each table
// once it has been used.
#pragma once

#include "platform/rtl/Types.h"

#include <map>
#include <string_view>

class TS_StringResource {
public:
    // Raises Exception "No such string resource: <name>" for an unknown table.
    explicit TS_StringResource(std::string_view tableName);
    // The text of that number, or an empty text.
    AnsiString Message(int number) const;

private:
    std::map<int, AnsiString> FMessages;
};

// The text of message `number` of table `tableName` ("S_Stream": 1 "Seek error",
// 2 "Invalid seek origin (%d)", ...).
AnsiString LoadMessage(std::string_view tableName, int number);
