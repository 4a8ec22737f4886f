#include "platform/qt/qt_backend.h"

#include <QFontMetricsF>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include "platform/forms/command_button.h"
#include "platform/forms/dir_list_box.h"
#include "platform/forms/drive_list_box.h"
#include "platform/forms/form.h"
#include "platform/forms/label.h"
#include "platform/forms/list_view.h"
#include "platform/forms/progress_bar.h"
#include "platform/message_box.h"
#include "platform/qt/accessibility.h"
#include "platform/qt/control_peers.h"
#include "platform/qt/conversions.h"
#include "platform/qt/form_window.h"

namespace vantrel {
namespace {

QWidget& ParentWindow(FormPeer& form) {
    return *static_cast<FormWindowPeer&>(form).Window();
}

QSize ScreenPixels() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->size() : QSize();
}

}  // namespace

std::unique_ptr<Backend> CreateSystemBackend(const char* programName) {
    return std::make_unique<QtBackend>(programName);
}

// Qt would take its own options (-platform, -style, -reverse ...) out of a real command line;
// it gets the program's name and nothing else.
QtBackend::QtBackend(const char* programName)
    : programName_(programName != nullptr ? programName : ""),
      argv_{programName_.data(), nullptr},
      application_(std::make_unique<QApplication>(argc_, argv_)) {
    ShowProgramIdentity();
    DescribeFormsToAssistiveTechnology();
}

// The name, version and icon the desktop shows for the program's windows, as Vantrel.exe's
// version record and icons give them on Windows. The icon is the program's own, built in: no
// menu entry or theme icon is installed for a program that works only beside Images.cab.
void QtBackend::ShowProgramIdentity() {
    QCoreApplication::setApplicationName(QStringLiteral("Vantrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.00"));
    QIcon builtIn;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        builtIn.addFile(QStringLiteral(":/vantrel/vantrel-%1.png").arg(size), QSize(size, size));
    }
    QApplication::setWindowIcon(builtIn);
}

QtBackend::~QtBackend() = default;

std::unique_ptr<FormPeer> QtBackend::CreatePeer(Form& form) {
    return std::make_unique<FormWindowPeer>(form);
}

std::unique_ptr<ControlPeer> QtBackend::CreatePeer(Label& label, FormPeer& form) {
    return std::make_unique<LabelPeer>(label, ParentWindow(form));
}

std::unique_ptr<ControlPeer> QtBackend::CreatePeer(CommandButton& button, FormPeer& form) {
    return std::make_unique<CommandButtonPeer>(button, ParentWindow(form));
}

std::unique_ptr<ControlPeer> QtBackend::CreatePeer(DriveListBox& list, FormPeer& form) {
    return std::make_unique<DriveListPeer>(list, ParentWindow(form));
}

std::unique_ptr<ControlPeer> QtBackend::CreatePeer(DirListBox& list, FormPeer& form) {
    return std::make_unique<DirListPeer>(list, ParentWindow(form));
}

std::unique_ptr<ControlPeer> QtBackend::CreatePeer(ListView& list, FormPeer& form) {
    return std::make_unique<ListViewPeer>(list, ParentWindow(form));
}

std::unique_ptr<ControlPeer> QtBackend::CreatePeer(ProgressBar& bar, FormPeer& form) {
    return std::make_unique<ProgressBarPeer>(bar, ParentWindow(form));
}

float QtBackend::ScreenWidth() {
    return TwipsOf(ScreenPixels().width());
}

float QtBackend::ScreenHeight() {
    return TwipsOf(ScreenPixels().height());
}

double QtBackend::TextWidth(const StdFont& font, const std::string& text) {
    const double pixels =
        QFontMetricsF(ToQFont(font)).horizontalAdvance(QString::fromStdString(text));
    return pixels * kTwipsPerInch / LogicalDpi();
}

// Modal over the window the user is working with.
void QtBackend::ShowMessage(const std::string& text) {
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr) {
        owner = QApplication::activeWindow();
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kApplicationTitle),
                    QString::fromStdString(text), QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtBackend::LetWindowsRepaint() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtBackend::RunOnNextTurn(std::function<void()> action) {
    QTimer::singleShot(0, application_.get(), std::move(action));
}

void QtBackend::RunEventLoop() {
    QApplication::exec();
}

}  // namespace vantrel
