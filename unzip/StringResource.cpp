// The message tables and their cache.
#include "unzip/StringResource.h"

#include "platform/rtl/SysUtils.h"

#include <memory>

namespace {

struct TTableText {
    int Number;
    const char* Text;
};

const TTableText kStreamMessages[] = {
    {1, "Seek error"},
    {2, "Invalid seek origin (%d)"},
    {3, "Putback overflow"},
    {4, "Cannot find resource"},
    {5, "Cannot access resource"},
    {6, "Seek past end of resource stream"},
    {7, "Cannot write to a resource stream"},
};

std::map<AnsiString, std::unique_ptr<TS_StringResource>>& Cache() {
    static std::map<AnsiString, std::unique_ptr<TS_StringResource>> cache;
    return cache;
}

}  // namespace

TS_StringResource::TS_StringResource(std::string_view tableName) {
    // Resource names compare without regard to case.
    if (!SameText(tableName, "S_Stream"))
        throw Exception(Format("No such string resource: %s", AnsiString(tableName)));
    for (const auto& m : kStreamMessages) FMessages[m.Number] = m.Text;
}

AnsiString TS_StringResource::Message(int number) const {
    const auto it = FMessages.find(number);
    return it == FMessages.end() ? AnsiString() : it->second;
}

AnsiString LoadMessage(std::string_view tableName, int number) {
    const AnsiString key = UpperCase(tableName);
    auto& cache = Cache();
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.emplace(key, std::make_unique<TS_StringResource>(tableName)).first;
    return it->second->Message(number);
}
