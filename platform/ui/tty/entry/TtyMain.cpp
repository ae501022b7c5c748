// The program's entry on Linux: the terminal backend on the standard streams.
#include "platform/ui/ProgramEntry.h"
#include "platform/ui/tty/TtyBackend.h"

#include <iostream>

int main() {
    SetUiBackend(std::make_unique<TTtyBackend>(std::cin, std::cout));
    const int status = ProgramMain();
    SetUiBackend(nullptr);
    return status;
}
