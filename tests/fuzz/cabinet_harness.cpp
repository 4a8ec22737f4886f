#include "fuzz/cabinet_harness.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <set>
#include <system_error>

#include "cabinet/cab_file.h"
#include "platform/cabinet_options.h"
#include "shared/raised_error.h"
#include "support/posix/temp_prefix.h"
#include "support/program_recorders.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

constexpr char kSentinelText[] = "placed before the installation; must stay as it is\n";

fs::path InputFolder(const TempPrefix& prefix) {
    return prefix.DriveC() / "in";
}
fs::path OutputFolder(const TempPrefix& prefix) {
    return prefix.DriveC() / "out";
}
fs::path Sentinel(const TempPrefix& prefix) {
    return prefix.DriveC() / "sentinel.txt";
}

bool IsTemporaryName(const std::string& name) {
    return name.find(".vantrel-") != std::string::npos;
}

// Names as Windows compares them: a file may land in a folder the cabinet names in other case.
std::string FoldedCase(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) {
        return c < 0x80 ? static_cast<char>(std::tolower(c)) : static_cast<char>(c);
    });
    return name;
}

// How a file under the output folder is named inside the cabinet.
std::string WindowsRelative(const fs::path& path, const fs::path& folder) {
    std::string name = path.lexically_relative(folder).string();
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

bool IsInside(const fs::path& path, const fs::path& folder) {
    const auto relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

}  // namespace

CabinetHarness::CabinetHarness() : prefix_(std::make_unique<TempPrefix>()) {
    // Drive Z: would expose the whole host to a fault that lets a name escape.
    fs::remove(prefix_->Path() / "dosdevices" / "z:");
    fs::create_directories(InputFolder(*prefix_));
    WriteFile(Sentinel(*prefix_), kSentinelText);
}

CabinetHarness::~CabinetHarness() = default;

CabinetRunOutcome CabinetHarness::Run(std::string_view cabinetBytes) {
    ResetScratch();
    const size_t split = cabinetBytes.find(kSecondPartMark);
    WriteFile(InputFolder(*prefix_) / "Images.cab", std::string(cabinetBytes.substr(0, split)));
    if (split != std::string_view::npos) {
        WriteFile(InputFolder(*prefix_) / "Images2.cab",
                  std::string(cabinetBytes.substr(split + kSecondPartMark.size())));
    }

    CabinetRunOutcome outcome;
    MessageBoxRecorder messages;
    auto cab = CabFile::Create();
    cab->SetCabName("C:\\in\\Images.cab");
    std::set<std::string> listedNames;
    cab->FileFound = [&](const std::string& FileName, const DateTime&, std::int32_t,
                         const std::string& Path) {
        ++outcome.ListedFiles;
        // A "/" in a stored name separates folders on Windows as "\" does.
        std::string name = Path + FileName;
        std::replace(name.begin(), name.end(), '/', '\\');
        listedNames.insert(FoldedCase(name));
    };
    outcome.Listed = cab->GetInfo("");
    if (!outcome.Listed && messages.Texts().empty()) {
        outcome.Violations.push_back("GetInfo failed without a message");
    }
    if (!outcome.Listed) {
        CheckScratch(outcome, listedNames);
        return outcome;
    }
    const ExtractRun run = Extract(*cab, outcome);
    outcome.RaisedNumber = run.RaisedNumber;
    outcome.RaisedDescription = run.RaisedDescription;
    outcome.WrittenFiles = static_cast<std::int32_t>(run.Files.size());
    CheckScratch(outcome, listedNames);
    // The same with libmspack decoding every folder: MSZIP's own decoder must agree with it.
    fs::remove_all(OutputFolder(*prefix_));
    fs::create_directories(OutputFolder(*prefix_));
    const CabinetOptionsScope reference({.LibmspackOnly = true});
    const ExtractRun referenceRun = Extract(*cab, outcome);
    if (run != referenceRun) {
        outcome.Violations.push_back(
            "MSZIP decoded otherwise than by libmspack: raised " +
            std::to_string(run.RaisedNumber) + " against " +
            std::to_string(referenceRun.RaisedNumber) + ", " + std::to_string(run.Files.size()) +
            " files against " + std::to_string(referenceRun.Files.size()) +
            (run.Files != referenceRun.Files ? ", other bytes" : "") +
            (run.Stamps != referenceRun.Stamps ? ", other stamps" : "") +
            (run.Reported != referenceRun.Reported ? ", reported otherwise" : ""));
    }
    return outcome;
}

CabinetHarness::ExtractRun CabinetHarness::Extract(CabFile& cab, CabinetRunOutcome& outcome) {
    ExtractRun run;
    cab.AfterExtract = [&run](const std::string& FileName) { run.Reported.push_back(FileName); };
    // The kernel stamps a file written with a clock that may lag a little behind.
    const auto start = fs::file_time_type::clock::now() - std::chrono::seconds(1);
    try {
        cab.Extract("", "C:\\out\\", "");
    } catch (const RaisedError& error) {
        run.RaisedNumber = error.Number;
        run.RaisedDescription = error.Description;
        if (error.Number == 0 || error.Description.empty()) {
            outcome.Violations.push_back("raised an error without number or text");
        }
    }
    const fs::path output = OutputFolder(*prefix_);
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(output, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file() && !it->is_symlink()) {
            const std::string name = it->path().lexically_relative(output).string();
            run.Files[name] = ReadFile(it->path());
            std::error_code ignored;
            const auto stamp = it->last_write_time(ignored);
            // A file whose stamp is no real date keeps the time it was written at.
            run.Stamps[name] = stamp >= start && stamp <= fs::file_time_type::clock::now()
                                   ? -1
                                   : stamp.time_since_epoch().count();
        }
    }
    return run;
}

void CabinetHarness::ResetScratch() {
    fs::remove(InputFolder(*prefix_) / "Images2.cab");
    fs::remove_all(OutputFolder(*prefix_));
    fs::create_directories(OutputFolder(*prefix_));
}

void CabinetHarness::CheckScratch(CabinetRunOutcome& outcome,
                                  const std::set<std::string>& listedNames) const {
    const fs::path output = OutputFolder(*prefix_);
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(prefix_->Path(), error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::path& path = it->path();
        if (it->is_symlink() || it->is_directory()) {
            continue;
        }
        if (IsTemporaryName(path.filename().string()) &&
            !listedNames.contains(FoldedCase(WindowsRelative(path, output)))) {
            outcome.Violations.push_back("temporary file left: " + path.string());
        }
        if (!IsInside(path, output) && path.parent_path() != InputFolder(*prefix_) &&
            path != Sentinel(*prefix_)) {
            outcome.Violations.push_back("written outside the output folder: " + path.string());
        }
    }
    if (error) {
        outcome.Violations.push_back("cannot walk the scratch folder: " + error.message());
    }
    if (ReadFile(Sentinel(*prefix_)) != kSentinelText) {
        outcome.Violations.push_back("the file beside the output folder changed");
    }
}

}  // namespace vantrel::test
