// Exceptions, formatting and the text helpers of the run-time library.
// All texts are CP1251. "Ansi" case functions follow the CP1251 letters (Cyrillic included);
// the plain ones touch the ASCII letters a-z / A-Z only.
#pragma once

#include "platform/rtl/Types.h"

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string_view>
#include <variant>

// ---- Exceptions -------------------------------------------------------------------------

// Base of every exception of the system; carries its message (CP1251).
class Exception : public std::exception {
public:
    explicit Exception(AnsiString message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }
    // Name of the class, as a message like "tObject %s not in item list" needs it.
    virtual const char* ClassName() const { return "Exception"; }
    AnsiString Message;
};

#define SETUP_EXCEPTION_CLASS(Name, Base)                                  \
    class Name : public Base {                                             \
    public:                                                                \
        using Base::Base;                                                  \
        const char* ClassName() const override { return #Name; }           \
    }

SETUP_EXCEPTION_CLASS(EListError, Exception);
SETUP_EXCEPTION_CLASS(EStreamError, Exception);
SETUP_EXCEPTION_CLASS(EFileStreamError, EStreamError);
SETUP_EXCEPTION_CLASS(EFOpenError, EFileStreamError);    // a file that cannot be opened
SETUP_EXCEPTION_CLASS(EFCreateError, EFileStreamError);  // a file that cannot be created
SETUP_EXCEPTION_CLASS(EReadError, EStreamError);
SETUP_EXCEPTION_CLASS(EWriteError, EStreamError);
SETUP_EXCEPTION_CLASS(EOutOfMemory, Exception);
SETUP_EXCEPTION_CLASS(EOutOfResources, EOutOfMemory);
SETUP_EXCEPTION_CLASS(EConvertError, Exception);         // text that a code page cannot hold

// Input/output error with the operating system's error code.
class EInOutError : public Exception {
public:
    EInOutError(AnsiString message, int errorCode = 0)
        : Exception(std::move(message)), ErrorCode(errorCode) {}
    const char* ClassName() const override { return "EInOutError"; }
    int ErrorCode;
};

// ---- Format -----------------------------------------------------------------------------

// One argument of Format: an integer or a text.
using TFormatArg = std::variant<int64_t, AnsiString>;

// The printf-like forms the system uses: %d, %u, %x, %s and %%, each with optional "-",
// width and precision ("%3.3d" gives at least three digits). A mismatch raises EConvertError.
AnsiString FormatArgs(std::string_view format, std::initializer_list<TFormatArg> args);

template <typename... Args>
AnsiString Format(std::string_view format, const Args&... args) {
    [[maybe_unused]] auto arg = [](const auto& a) -> TFormatArg {
        using A = std::decay_t<decltype(a)>;
        if constexpr (std::is_integral_v<A>)
            return TFormatArg(static_cast<int64_t>(a));
        else
            return TFormatArg(AnsiString(a));
    };
    return FormatArgs(format, {arg(args)...});
}

// ---- Numbers ----------------------------------------------------------------------------

AnsiString IntToStr(int64_t value);

// Integer text as the settings file writes it: optional blanks, an optional sign, then
// decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X". Anything else,
// trailing characters and values beyond 32 bits included, gives false.
bool TryStrToInt(std::string_view text, int32_t& value);
int32_t StrToIntDef(std::string_view text, int32_t defaultValue);

// ---- Letter case ------------------------------------------------------------------------

char UpCaseAscii(char c);
char LowCaseAscii(char c);
char AnsiUpCase(char c);   // CP1251 letters, Cyrillic included
char AnsiLowCase(char c);

AnsiString UpperCase(std::string_view s);       // ASCII letters only
AnsiString LowerCase(std::string_view s);       // ASCII letters only
AnsiString AnsiUpperCase(std::string_view s);   // by the CP1251 rules
AnsiString AnsiLowerCase(std::string_view s);   // by the CP1251 rules

// Comparison ignoring letter case by the CP1251 rules: negative, zero or positive.
// Texts are compared by their upper-cased bytes; this system uses it for equality.
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);
// Comparison ignoring the case of ASCII letters only.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);

// ---- Trimming and searching -------------------------------------------------------------

// Remove leading and trailing blanks and control characters (bytes up to 32).
AnsiString Trim(std::string_view s);
AnsiString TrimLeft(std::string_view s);
AnsiString TrimRight(std::string_view s);

// 1-based position of sub in s, 0 when absent (as the design's algorithms count).
size_t Pos(std::string_view sub, std::string_view s);

// Replace every occurrence of `what`, matched ignoring the case of ASCII letters, by `with`;
// the search resumes behind the inserted text.
AnsiString ReplaceTextAscii(std::string_view s, std::string_view what, std::string_view with);

// ---- Windows paths (backslash separators, "X:" drives) ----------------------------------

AnsiString ExtractFilePath(std::string_view path);   // up to and including the last "\" or ":"
AnsiString ExtractFileDir(std::string_view path);    // the same without a trailing "\" (but "X:\" stays)
AnsiString ExtractFileName(std::string_view path);   // after the last "\" or ":"
AnsiString ExtractFileExt(std::string_view path);    // from the last "." of the name, or empty
AnsiString ChangeFileExt(std::string_view path, std::string_view ext);
AnsiString IncludeTrailingBackslash(std::string_view path);
AnsiString ExcludeTrailingBackslash(std::string_view path);
