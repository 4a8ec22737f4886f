#include "platform/program_services.h"

#include <cstdio>
#include <cstdlib>

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "shared/runtime_error.h"

namespace vantrel {
namespace {

void PrintToStandardError(const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", kApplicationTitle, text.c_str());
}

std::string ExecutablesFolder() {
    auto folder = ExecutableFolder();
    if (!folder) {
        RuntimeError::Raise(RuntimeError::PathNotFound);
    }
    return std::move(*folder);
}

void ExitAtOnce(int status) {
    std::fflush(nullptr);
    std::_Exit(status);
}

ProgramServices WithTheSystemsOwn(ProgramServices services) {
    if (!services.ShowMessage) {
        services.ShowMessage = PrintToStandardError;
    }
    if (!services.ProgramFolder) {
        services.ProgramFolder = ExecutablesFolder;
    }
    if (!services.EndProcess) {
        services.EndProcess = ExitAtOnce;
    }
    return services;
}

const ProgramServices*& Innermost() {
    static const ProgramServices systemsOwn = WithTheSystemsOwn({});
    static const ProgramServices* innermost = &systemsOwn;
    return innermost;
}

}  // namespace

ProgramRun::ProgramRun(ProgramServices services)
    : services_(WithTheSystemsOwn(std::move(services))), previous_(Innermost()) {
    Innermost() = &services_;
}

ProgramRun::~ProgramRun() {
    Innermost() = previous_;
}

const ProgramServices& Services() {
    return *Innermost();
}

}  // namespace vantrel
