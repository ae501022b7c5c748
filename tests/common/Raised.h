// What an action raises, as text, for tests that compare the system's exact messages.
#pragma once

#include "platform/rtl/SysUtils.h"

#include <functional>
#include <string>

// The message of the exception of type E that action raises; "no error" when it raises
// nothing, "other: <class> <message>" for another exception of the system.
template <typename E>
std::string Raised(const std::function<void()>& action) {
    try {
        action();
    } catch (const E& e) {
        return e.Message;
    } catch (const Exception& e) {
        return std::string("other: ") + e.ClassName() + " " + e.Message;
    }
    return "no error";
}
