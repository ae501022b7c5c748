// Program entry of the setup program, called by the platform's entry (which has installed
// the user-interface backend): the setup window is the only window created here.
#include "platform/ui/ProgramEntry.h"
#include "setup/InstF1.h"

int ProgramMain() {
    Application->CreateForm(InstF1);
    Application->Run();
    Application->DestroyForms();
    return 0;
}
