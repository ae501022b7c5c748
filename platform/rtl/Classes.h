// Streams and string lists of the run-time library.
// TStream is the base of every stream (files: platform/os/FileStream.h); TStringList holds
// lines of CP1251 text and reads and writes them as text files with CR LF line ends.
#pragma once

#include "platform/rtl/Types.h"

#include <cstdint>
#include <string_view>
#include <vector>

// Seek origins.
constexpr int soFromBeginning = 0;
constexpr int soFromCurrent = 1;
constexpr int soFromEnd = 2;

class TStream {
public:
    virtual ~TStream() = default;
    // Transfer up to count bytes; the result is the number transferred (short at the end of
    // the data, or when the medium takes no more).
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    virtual int32_t Write(const void* buffer, int32_t count) = 0;
    // New position from an offset and an origin (soFrom...).
    virtual int64_t Seek(int64_t offset, int origin) = 0;

    int64_t GetPosition() { return Seek(0, soFromCurrent); }
    void SetPosition(int64_t position) { Seek(position, soFromBeginning); }
    // Size through seeking, restoring the position.
    virtual int64_t GetSize();

    // Whole transfers: a short count raises EReadError "Stream read error" or
    // EWriteError "Stream write error".
    void ReadBuffer(void* buffer, int32_t count);
    void WriteBuffer(const void* buffer, int32_t count);
};

// A stream in memory; used by tests and tools.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string data) : Data(std::move(data)) {}
    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, int origin) override;
    std::string Data;
    int64_t Position = 0;
};

// A list of text lines. Lookups ignore letter case by the CP1251 rules.
class TStringList {
public:
    TStringList() = default;
    TStringList(std::initializer_list<AnsiString> lines) : Lines(lines) {}

    int Count() const { return static_cast<int>(Lines.size()); }
    // Index checks raise EListError "List index out of bounds (%d)".
    const AnsiString& operator[](int index) const;
    AnsiString& operator[](int index);
    int Add(const AnsiString& line);
    void Insert(int index, const AnsiString& line);
    void Delete(int index);
    void Clear() { Lines.clear(); }
    // First line equal to `line` ignoring letter case (CP1251 rules), or -1.
    int IndexOf(std::string_view line) const;

    // All lines, each followed by CR LF; and the reverse, splitting at CR LF, LF or CR
    // (a last line without an end is kept, an empty text gives no line). Bytes are kept.
    AnsiString GetText() const;
    void SetText(std::string_view text);

    // Raise the file stream's EFOpenError / EFCreateError, or EWriteError when the medium
    // does not take every byte.
    void LoadFromFile(const AnsiString& fileName);
    void SaveToFile(const AnsiString& fileName) const;

    std::vector<AnsiString> Lines;
};
