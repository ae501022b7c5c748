// Program entry of the setup program, called by the platform's entry (which has installed
// the user-interface backend): the setup window is the only window created here.
#include "platform/ui/ProgramEntry.h"
#include "install/InstF3.h"
#include "setup/InstF1.h"

int ProgramMain() {
    Application->CreateForm(InstF1);
    Application->Run();
    Application->DestroyForms();
    // 0 only after a completed installation, so that scripts can tell (InstF3.h).
    return InstallExitStatus();
}
