// vantrel-cab: lists or extracts a cabinet with the installer's own cabinet component, for
// diagnostics, scripts and benchmarks.
//
//     vantrel-cab list CABINET          one line per file: name, size, "yyyymmddhhmmss"
//     vantrel-cab extract [--named-temporary-files] [--libmspack-only] CABINET OUTDIR
//                                       one line per file written: its Windows path
//     vantrel-cab where                 the folder the viewer's registration names
//     vantrel-cab --help | --version
//
// Paths are the host's, or Windows paths with a drive letter, such as `where` prints. The two
// options of extract change how our POSIX cabinet service works, for diagnosis (see
// platform/cabinet_options.h); Windows' own service takes no such choice, and ignores them.
//
// Exit status: 0 success, 1 failure (what failed and where, on standard error), 2 wrong usage
// (usage on standard error) or, for "where", a viewer that is not registered.

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "cabinet/cab_file.h"
#include "cabinet/callback.h"
#include "dialog/install_folder.h"
#include "platform/cabinet_options.h"
#include "platform/diagnostics.h"
#include "platform/file_system.h"
#include "shared/raised_error.h"
#include "shared/system_error_text.h"
#include "vantrel_version.h"

// Inside the namespace, so that the system error codes read alike where <windows.h> makes them
// macros.
namespace vantrel {
namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;
constexpr int kNotRegistered = 2;

constexpr const char* kUsageText =
    "usage: vantrel-cab list CABINET\n"
    "       vantrel-cab extract [--named-temporary-files] [--libmspack-only] CABINET OUTDIR\n"
    "       vantrel-cab where\n"
    "       vantrel-cab --help\n"
    "       vantrel-cab --version\n";

constexpr const char* kViewerValue =
    "the default value of HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
    "App Paths\\ZORVIKViewer.EXE";

int PrintUsage(std::FILE* to, int status) {
    std::fputs(kUsageText, to);
    return status;
}

// Says what failed, naming the file or folder as it was given.
int Fail(const std::string& subject, const std::string& cause) {
    std::fprintf(stderr, "vantrel-cab: %s: %s\n", subject.c_str(), cause.c_str());
    return kFailure;
}

std::string ErrorText(const RaisedError& error) {
    return "error " + std::to_string(error.Number) + " (" + error.Source +
           "): " + error.Description;
}

// A path of the command line and the Windows path the component is given for it.
struct PathArgument {
    std::string Given;
    std::string Windows;
};

std::optional<PathArgument> WindowsPathOf(const std::string& argument) {
    auto windowsPath = WindowsPathOfArgument(argument);
    if (!windowsPath) {
        Fail(argument, "none of " + DrivesPlace() + " covers it");
        return std::nullopt;
    }
    return PathArgument{argument, std::move(*windowsPath)};
}

// Why the file cannot be a cabinet the component reads, found before it tries: the component
// itself answers every such file with the same message box, "Error22".
std::optional<std::string> CabinetProblem(const std::string& windowsPath) {
    const FileStart start = ReadFileStart(windowsPath, 4);
    if (start.IsFolder) {
        return "a folder, not a cabinet";
    }
    switch (start.Error) {
        case ERROR_SUCCESS:
            break;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return "not found";
        case ERROR_ACCESS_DENIED:
            return "access denied";
        default:
            return "cannot be read: " + SystemErrorText(static_cast<int>(start.Error));
    }
    if (start.Bytes != "MSCF") {
        return "not a cabinet (a cabinet begins with \"MSCF\")";
    }
    return std::nullopt;
}

void PrintFileFound(const std::string& FileName, const DateTime& DateTime, std::int32_t Size,
                    const std::string& Path) {
    std::printf("%s%s\t%d\t%s\n", Path.c_str(), FileName.c_str(), static_cast<int>(Size),
                DateTime.SortText().c_str());
}

// The component listing the cabinet, with `fileFound` told of each file; false, with the
// reason said, when it cannot.
bool ListWithComponent(const std::shared_ptr<CabFile>& cab, const PathArgument& cabinet) {
    if (const auto problem = CabinetProblem(cabinet.Windows)) {
        Fail(cabinet.Given, *problem);
        return false;
    }
    cab->SetCabName(cabinet.Windows);
    try {
        if (!cab->GetInfo("")) {
            Fail(cabinet.Given, "damaged: the cabinet service cannot read it");
            return false;
        }
    } catch (const RaisedError& error) {
        Fail(cabinet.Given, "damaged: " + ErrorText(error));
        return false;
    }
    return true;
}

int List(const PathArgument& cabinet) {
    auto cab = CabFile::Create();
    cab->FileFound = PrintFileFound;
    return ListWithComponent(cab, cabinet) ? kSuccess : kFailure;
}

// Lists first, as an installation does, then extracts everything under `output`, printing each
// file as it is written.
int Extract(const PathArgument& cabinet, const PathArgument& output) {
    auto cab = CabFile::Create();
    if (!ListWithComponent(cab, cabinet)) {
        return kFailure;
    }
    // Made the way the installer makes the folders it extracts to.
    std::string folder = output.Windows;
    if (!Callback::MakeDirTree(folder)) {
        return Fail(output.Given, "cannot create this folder");
    }
    cab->AfterExtract = [](const std::string& target) { std::puts(target.c_str()); };
    try {
        cab->Extract("", output.Windows, "");
    } catch (const RaisedError& error) {
        return Fail(cabinet.Given, "extracting into " + output.Given + ": " + ErrorText(error));
    }
    for (const auto& name : cab->NotWritten()) {
        Fail(cabinet.Given, "\"" + name +
                                "\" not written: its name leaves the folder, or its folder "
                                "cannot be made");
    }
    return cab->NotWritten().empty() ? kSuccess : kFailure;
}

// The installation folder as the dialog finds it.
int Where() {
    InstallFolderDiscovery discovery;
    discovery.OpenAndQuery();
    discovery.CloseAndTakeFolder();
    if (!discovery.ViewerRegistered()) {
        std::puts("Not found ZORVIKViewer");
        std::fprintf(stderr, "vantrel-cab: no folder in %s, read from %s\n", kViewerValue,
                     RegistryPlace().c_str());
        return kNotRegistered;
    }
    std::puts(discovery.InstallFolder().c_str());
    return kSuccess;
}

// extract's options, then its cabinet and folder.
int RunExtract(int count, char** arguments) {
    CabinetOptions options;
    for (; count > 0 && std::string_view(arguments[0]).starts_with("--"); --count, ++arguments) {
        const std::string_view option = arguments[0];
        if (option == "--named-temporary-files") {
            options.NamedTemporaryFiles = true;
        } else if (option == "--libmspack-only") {
            options.LibmspackOnly = true;
        } else {
            return PrintUsage(stderr, kUsage);
        }
    }
    if (count != 2) {
        return PrintUsage(stderr, kUsage);
    }
    const CabinetOptionsScope chosen(options);
    const auto cabinet = WindowsPathOf(arguments[0]);
    const auto output = cabinet ? WindowsPathOf(arguments[1]) : std::nullopt;
    return output ? Extract(*cabinet, *output) : kFailure;
}

int Run(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if ((mode == "--help" || mode == "-h") && argc == 2) {
        return PrintUsage(stdout, kSuccess);
    }
    if (mode == "--version" && argc == 2) {
        std::puts(VANTREL_VERSION_TEXT);
        return kSuccess;
    }
    if (mode == "list" && argc == 3) {
        const auto cabinet = WindowsPathOf(argv[2]);
        return cabinet ? List(*cabinet) : kFailure;
    }
    if (mode == "where" && argc == 2) {
        return Where();
    }
    if (mode == "extract") {
        return RunExtract(argc - 2, argv + 2);
    }
    return PrintUsage(stderr, kUsage);
}

}  // namespace
}  // namespace vantrel

int main(int argc, char** argv) {
    try {
        return vantrel::Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vantrel-cab: %s\n", error.what());
        return 1;
    }
}
