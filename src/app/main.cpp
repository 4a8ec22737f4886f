#include "app/frm_vantrel.h"
#include "platform/forms/program.h"
#include "platform/forms/runtime.h"

int main(int argc, char** argv) {
    // The program reads no command line: the window system hears of its name only.
    const vantrel::FormsRuntime windows(argc > 0 ? argv[0] : "vantrel");
    const vantrel::ProgramRun program(windows.WindowedServices());

    vantrel::FrmVantrel title;
    vantrel::RunEventHandler([&] { title.Load(); });
    // The dialog ends the program whichever way it is left; should the window system end its
    // modal show otherwise (the session ending), nothing was installed.
    return vantrel::kExitNotInstalled;
}
