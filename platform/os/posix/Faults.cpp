// Injected failures for tests of the Linux file system layer.
#include "platform/os/posix/Faults.h"

namespace Faults {
namespace {
THook& Hook() {
    static THook hook;
    return hook;
}
}  // namespace

void Set(THook hook) { Hook() = std::move(hook); }
void Clear() { Hook() = nullptr; }
bool Fails(TFaultOp op, const AnsiString& path) { return Hook() && Hook()(op, path); }

}  // namespace Faults
