// Streams and string lists.
#include "platform/rtl/Classes.h"

#include "platform/os/FileStream.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <cstring>

int64_t TStream::GetSize() {
    const int64_t position = Seek(0, soFromCurrent);
    const int64_t size = Seek(0, soFromEnd);
    Seek(position, soFromBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int32_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int32_t TMemoryStream::Read(void* buffer, int32_t count) {
    if (count <= 0 || Position >= static_cast<int64_t>(Data.size())) return 0;
    const auto n = static_cast<int32_t>(std::min<int64_t>(count, static_cast<int64_t>(Data.size()) - Position));
    std::memcpy(buffer, Data.data() + Position, n);
    Position += n;
    return n;
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
    if (count <= 0) return 0;
    if (Position + count > static_cast<int64_t>(Data.size())) Data.resize(Position + count);
    std::memcpy(Data.data() + Position, buffer, count);
    Position += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, int origin) {
    switch (origin) {
        case soFromBeginning: Position = offset; break;
        case soFromCurrent: Position += offset; break;
        case soFromEnd: Position = static_cast<int64_t>(Data.size()) + offset; break;
        default: throw EStreamError(Format("Invalid seek origin (%d)", origin));
    }
    if (Position < 0) Position = 0;
    return Position;
}

const AnsiString& TStringList::operator[](int index) const {
    if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", index));
    return Lines[index];
}

AnsiString& TStringList::operator[](int index) {
    if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", index));
    return Lines[index];
}

int TStringList::Add(const AnsiString& line) {
    Lines.push_back(line);
    return Count() - 1;
}

void TStringList::Insert(int index, const AnsiString& line) {
    if (index < 0 || index > Count()) throw EListError(Format("List index out of bounds (%d)", index));
    Lines.insert(Lines.begin() + index, line);
}

void TStringList::Delete(int index) {
    if (index < 0 || index >= Count()) throw EListError(Format("List index out of bounds (%d)", index));
    Lines.erase(Lines.begin() + index);
}

int TStringList::IndexOf(std::string_view line) const {
    for (int i = 0; i < Count(); ++i)
        if (AnsiSameText(Lines[i], line)) return i;
    return -1;
}

AnsiString TStringList::GetText() const {
    AnsiString text;
    for (const auto& line : Lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void TStringList::SetText(std::string_view text) {
    Lines.clear();
    size_t i = 0;
    while (i < text.size()) {
        size_t end = i;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        Lines.emplace_back(text.substr(i, end - i));
        if (end < text.size() && text[end] == '\r') {
            ++end;
            if (end < text.size() && text[end] == '\n') ++end;
        } else if (end < text.size()) {
            ++end;  // a lone LF
        }
        i = end;
    }
}

void TStringList::LoadFromFile(const AnsiString& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    const int64_t size = file.GetSize();
    std::string data(static_cast<size_t>(size), '\0');
    if (size > 0) file.ReadBuffer(data.data(), static_cast<int32_t>(size));
    SetText(data);
}

void TStringList::SaveToFile(const AnsiString& fileName) const {
    const AnsiString text = GetText();
    TFileStream file(fileName, fmCreate);
    file.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
    file.Close();
}
