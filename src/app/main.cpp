#include <QApplication>

#include "app/frm_vantrel.h"
#include "platform/forms/message_box_window.h"
#include "platform/forms/program.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    vantrel::UseWindowedMessageBoxes();

    vantrel::FrmVantrel title;
    vantrel::RunEventHandler([&] { title.Form_Load(); });
    // The dialog was closed through its frame: the title window stays until it is closed.
    application.exec();
    return vantrel::kExitNotInstalled;
}
