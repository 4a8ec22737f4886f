#include "platform/forms/program.h"

#include <cstdio>
#include <new>

#include "platform/forms/form.h"
#include "platform/message_box.h"
#include "platform/program_services.h"
#include "shared/raised_error.h"
#include "shared/runtime_error.h"

namespace vantrel {
namespace {

RaisedError RuntimeErrorOf(std::int32_t number, const std::string& detail = "") {
    std::string text = RuntimeError::Text(number);
    if (!detail.empty()) {
        text += ": " + detail;
    }
    return {number, RuntimeError::Source, text};
}

}  // namespace

std::string ProgramFolder() {
    return Services().ProgramFolder();
}

void EndProgram(int status) {
    CloseAllWindows();
    Services().EndProcess(status);
    throw ProgramEnded{status};
}

void CloseAllWindows() {
    for (Form* form : Forms()) {
        form->Hide();
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
            ReportUnhandledError(RuntimeErrorOf(RuntimeError::OutOfMemory));
        } catch (const std::exception& error) {
            ReportUnhandledError(RuntimeErrorOf(RuntimeError::InternalError, error.what()));
        }
    } catch (const ProgramEnded&) {
    }
    return false;
}

}  // namespace vantrel
