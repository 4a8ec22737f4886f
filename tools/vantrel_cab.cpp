// vantrel-cab: lists or extracts a cabinet with the installer's own cabinet component, for
// diagnostics, scripts and benchmarks.
//
//     vantrel-cab list CABINET          one line per file: name, size, "yyyymmddhhmmss"
//     vantrel-cab extract CABINET OUTDIR
//     vantrel-cab where                 the folder the viewer's registration names
//     vantrel-cab --help
//
// Exit status: 0 success, 1 failure (message on standard error), 2 wrong usage (usage on
// standard error) or, for "where", a viewer that is not registered.

#include <cstdio>
#include <optional>
#include <string>

#include "cabinet/cab_file.h"
#include "cabinet/callback.h"
#include "dialog/install_folder.h"
#include "platform/file_system.h"
#include "shared/raised_error.h"

namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;
constexpr int kNotRegistered = 2;

constexpr const char* kUsageText =
    "usage: vantrel-cab list CABINET\n"
    "       vantrel-cab extract CABINET OUTDIR\n"
    "       vantrel-cab where\n"
    "       vantrel-cab --help\n";

int PrintUsage(std::FILE* to, int status) {
    std::fputs(kUsageText, to);
    return status;
}

std::optional<std::string> WindowsPathOf(const std::string& argument) {
    auto windowsPath = vantrel::WindowsPathOfArgument(argument);
    if (!windowsPath) {
        std::fprintf(stderr, "vantrel-cab: no drive covers %s\n", argument.c_str());
    }
    return windowsPath;
}

void PrintFileFound(const std::string& FileName, const vantrel::DateTime& DateTime,
                    std::int32_t Size, const std::string& Path) {
    std::printf("%s%s\t%d\t%s\n", Path.c_str(), FileName.c_str(), static_cast<int>(Size),
                DateTime.SortText().c_str());
}

int List(const std::string& cabinet) {
    auto cab = vantrel::CabFile::Create();
    cab->SetCabName(cabinet);
    cab->FileFound = PrintFileFound;
    return cab->GetInfo("") ? kSuccess : kFailure;
}

// Lists first, as an installation does, then extracts everything under `outputFolder`.
int Extract(const std::string& cabinet, const std::string& outputFolder) {
    auto cab = vantrel::CabFile::Create();
    cab->SetCabName(cabinet);
    if (!cab->GetInfo("")) {
        return kFailure;
    }
    cab->Extract("", outputFolder, "");
    for (const auto& name : cab->NotWritten()) {
        std::fprintf(stderr, "not written: %s\n", name.c_str());
    }
    return cab->NotWritten().empty() ? kSuccess : kFailure;
}

// The installation folder as the dialog finds it.
int Where() {
    vantrel::InstallFolderDiscovery discovery;
    discovery.OpenAndQuery();
    discovery.CloseAndTakeFolder();
    if (!discovery.ViewerRegistered()) {
        std::puts("Not found ZORVIKViewer");
        return kNotRegistered;
    }
    std::puts(discovery.InstallFolder().c_str());
    return kSuccess;
}

int Run(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if ((mode == "--help" || mode == "-h") && argc == 2) {
        return PrintUsage(stdout, kSuccess);
    }
    if (mode == "list" && argc == 3) {
        const auto cabinet = WindowsPathOf(argv[2]);
        return cabinet ? List(*cabinet) : kFailure;
    }
    if (mode == "where" && argc == 2) {
        return Where();
    }
    if (mode == "extract" && argc == 4) {
        const auto cabinet = WindowsPathOf(argv[2]);
        const auto output = cabinet ? WindowsPathOf(argv[3]) : std::nullopt;
        if (!output) {
            return kFailure;
        }
        // Made the way the installer makes the folders it extracts to.
        std::string folder = *output;
        if (!vantrel::Callback::MakeDirTree(folder)) {
            std::fprintf(stderr, "vantrel-cab: cannot create %s\n", argv[3]);
            return kFailure;
        }
        return Extract(*cabinet, *output);
    }
    return PrintUsage(stderr, kUsage);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const vantrel::RaisedError& error) {
        std::fprintf(stderr, "error %d (%s): %s\n", static_cast<int>(error.Number),
                     error.Source.c_str(), error.Description.c_str());
        return kFailure;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vantrel-cab: %s\n", error.what());
        return kFailure;
    }
}
