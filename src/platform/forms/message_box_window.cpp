#include "platform/forms/message_box_window.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/message_box.h"

namespace vantrel {
namespace {

void ShowMessageWindow(const std::string& text) {
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr) {
        owner = QApplication::activeWindow();
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kApplicationTitle),
                    QString::fromStdString(text), QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

void UseWindowedMessageBoxes() {
    SetMessageBoxPresenter(ShowMessageWindow);
}

}  // namespace vantrel
