// Failures injected into the Linux file system layer, so that tests can show what happens
// when a file is locked, a folder cannot be written or a disk is full. Nothing is injected
// unless a test sets a hook.
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

}  // namespace Faults
