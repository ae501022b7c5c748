// Failures injected into the Linux file system layer, so that tests can show what happens
// when a file is locked, a folder cannot be written or a disk is full. Nothing is injected
// unless a test sets a hook or holds a file.
#pragma once

#include "platform/rtl/Types.h"

#include <functional>

enum class TFaultOp { Open, Create, Write, Delete, Move, Copy, CreateDir, RemoveDir, SetAttr, SetDate };

namespace Faults {

// The hook sees each operation with its (Windows) path; returning true makes it fail as if
// the system had refused it (a write then takes no byte: a full disk).
using THook = std::function<bool(TFaultOp op, const AnsiString& path)>;
void Set(THook hook);
void Clear();
bool Fails(TFaultOp op, const AnsiString& path);

// A file that another program holds open (THeldFile): deleting it, moving it away, creating
// it anew, copying onto it or writing it fails, as Windows refuses them while the file is
// open without delete and write sharing; reading it and setting its attributes do not.
// Holds are counted; each Hold needs its Release.
void Hold(const AnsiString& path);
void Release(const AnsiString& path);

}  // namespace Faults
