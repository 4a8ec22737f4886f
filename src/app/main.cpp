#include "app/frm_vantrel.h"
#include "platform/forms/program.h"
#include "platform/forms/runtime.h"

int main(int argc, char** argv) {
    // The program reads no command line: the window system hears of its name only.
    vantrel::FormsRuntime runtime(argc > 0 ? argv[0] : "vantrel");
    runtime.UseWindowedMessageBoxes();

    vantrel::FrmVantrel title;
    vantrel::RunEventHandler([&] { title.Load(); });
    // The dialog was closed through its frame: the title window stays until it is closed.
    runtime.RunEventLoop();
    return vantrel::kExitNotInstalled;
}
