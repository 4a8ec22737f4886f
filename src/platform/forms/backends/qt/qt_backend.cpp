#include "platform/forms/backends/qt/qt_backend.h"

#include <QFontMetricsF>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/forms/backends/qt/accessibility.h"
#include "platform/forms/backends/qt/control_peers.h"
#include "platform/forms/backends/qt/conversions.h"
#include "platform/forms/backends/qt/form_window.h"
#include "platform/forms/command_button.h"
#include "platform/forms/dir_list_box.h"
#include "platform/forms/drive_list_box.h"
#include "platform/forms/form.h"
#include "platform/forms/label.h"
#include "platform/forms/list_view.h"
#include "platform/forms/program.h"
#include "platform/forms/progress_bar.h"
#include "platform/message_box.h"
#include "vantrel_version.h"

namespace vantrel {
namespace {

QWidget& ParentWindow(FormPeer& form) {
    return *static_cast<FormWindowPeer&>(form).Window();
}

QSize ScreenPixels() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->size() : QSize();
}

// Qt tells of a window system it cannot reach with warnings, then a fatal error after which it
// aborts (status 134). While the application starts, its messages are held back, and a fatal
// error ends the program the way a failed run ends: with one line and status 1.
struct HeldMessage {
    QtMsgType Type;
    QString Text;
};
std::vector<HeldMessage>* heldMessages = nullptr;

[[noreturn]] void EndForWantOfADisplay() {
    const char* display = std::getenv("DISPLAY");
    const std::string reason = display != nullptr && *display != '\0'
                                   ? std::string("DISPLAY=") + display + " cannot be reached"
                                   : std::string("DISPLAY is not set");
    std::fprintf(stderr, "vantrel: no display to show the windows on (%s)\n", reason.c_str());
    std::_Exit(kExitFailed);
}

void HoldStartupMessage(QtMsgType type, const QMessageLogContext& /*context*/,
                        const QString& text) {
    if (type == QtFatalMsg) {
        EndForWantOfADisplay();
    }
    heldMessages->push_back({type, text});
}

// The messages of a start that went well reach whoever hears Qt's messages as they would have.
void PassOn(const HeldMessage& message) {
    const QByteArray text = message.Text.toLocal8Bit();
    switch (message.Type) {
        case QtDebugMsg:
            QMessageLogger().debug("%s", text.constData());
            break;
        case QtInfoMsg:
            QMessageLogger().info("%s", text.constData());
            break;
        case QtCriticalMsg:
            QMessageLogger().critical("%s", text.constData());
            break;
        default:
            QMessageLogger().warning("%s", text.constData());
            break;
    }
}

std::unique_ptr<QApplication> StartApplication(int& argc, char** argv) {
    std::vector<HeldMessage> held;
    heldMessages = &held;
    const QtMessageHandler previous = qInstallMessageHandler(HoldStartupMessage);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    heldMessages = nullptr;
    for (const auto& message : held) {
        PassOn(message);
    }
    return application;
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
      application_(StartApplication(argc_, argv_)) {
    ShowProgramIdentity();
    DescribeFormsToAssistiveTechnology();
}

// The name, version and icon the desktop shows for the program's windows, as Vantrel.exe's
// version record and icons give them on Windows. The icon is the program's own, built in: no
// menu entry or theme icon is installed for a program that works only beside Images.cab.
void QtBackend::ShowProgramIdentity() {
    QCoreApplication::setApplicationName(QStringLiteral("Vantrel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION_TEXT));
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
