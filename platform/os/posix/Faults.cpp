// Injected failures for tests of the Linux file system layer.
#include "platform/os/posix/Faults.h"

#include <map>

namespace Faults {
namespace {
THook& Hook() {
    static THook hook;
    return hook;
}

std::map<AnsiString, int>& Held() {
    static std::map<AnsiString, int> held;
    return held;
}

bool RefusedWhileHeld(TFaultOp op) {
    switch (op) {
        case TFaultOp::Delete:
        case TFaultOp::Move:
        case TFaultOp::Create:
        case TFaultOp::Copy:
        case TFaultOp::Write: return true;
        default: return false;
    }
}
}  // namespace

void Set(THook hook) { Hook() = std::move(hook); }
void Clear() { Hook() = nullptr; }
bool Fails(TFaultOp op, const AnsiString& path) {
    if (RefusedWhileHeld(op) && Held().count(path)) return true;
    return Hook() && Hook()(op, path);
}

void Hold(const AnsiString& path) { ++Held()[path]; }
void Release(const AnsiString& path) {
    auto it = Held().find(path);
    if (it != Held().end() && --it->second == 0) Held().erase(it);
}

}  // namespace Faults
