#include "platform/forms/program.h"

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "platform/posix/files/drives.h"
#include "platform/message_box.h"
#include "shared/raised_error.h"

namespace vantrel {
namespace {

constexpr int kPathNotFound = 76;
constexpr int kOutOfMemory = 7;
constexpr int kInternalError = 51;

std::string ExecutableFolder() {
    const auto folder = ToWindowsPath(QCoreApplication::applicationDirPath().toStdString());
    if (!folder) {
        throw RaisedError(kPathNotFound, kRuntimeErrorSource, "Path not found");
    }
    return *folder;
}

ProgramFolderProvider& FolderProvider() {
    static ProgramFolderProvider provider = ExecutableFolder;
    return provider;
}

void ExitProcess(int status) {
    std::fflush(nullptr);
    std::_Exit(status);
}

EndOfProgramHandler& EndHandler() {
    static EndOfProgramHandler handler = ExitProcess;
    return handler;
}

}  // namespace

std::string ProgramFolder() {
    return FolderProvider()();
}

ProgramFolderProvider SetProgramFolderProvider(ProgramFolderProvider provider) {
    auto previous = std::move(FolderProvider());
    FolderProvider() = provider ? std::move(provider) : ExecutableFolder;
    return previous;
}

void EndProgram(int status) {
    CloseAllWindows();
    EndHandler()(status);
    throw ProgramEnded{status};
}

EndOfProgramHandler SetEndOfProgramHandler(EndOfProgramHandler handler) {
    auto previous = std::move(EndHandler());
    EndHandler() = handler ? std::move(handler) : ExitProcess;
    return previous;
}

void CloseAllWindows() {
    if (qApp == nullptr) {
        return;
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        window->hide();
    }
}

std::string UnhandledErrorText(const RaisedError& error) {
    std::string number = std::to_string(error.Number);
    if (error.Number < 0) {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(error.Number));
        number += std::string(" (") + hex + ")";
    }
    return "Run-time error '" + number + "':\n\n" + error.Description;
}

void ReportUnhandledError(const RaisedError& error) {
    MsgBox(UnhandledErrorText(error));
    EndProgram(kExitFailed);
}

bool RunEventHandler(const std::function<void()>& handler) {
    try {
        try {
            handler();
            return true;
        } catch (const RaisedError& error) {
            ReportUnhandledError(error);
        } catch (const std::bad_alloc&) {
            ReportUnhandledError(RaisedError(kOutOfMemory, kRuntimeErrorSource, "Out of memory"));
        } catch (const std::exception& error) {
            ReportUnhandledError(RaisedError(kInternalError, kRuntimeErrorSource,
                                             std::string("Internal error: ") + error.what()));
        }
    } catch (const ProgramEnded&) {
    }
    return false;
}

}  // namespace vantrel
