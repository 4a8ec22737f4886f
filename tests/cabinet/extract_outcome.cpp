#include "cabinet/extract_outcome.h"

#include <algorithm>

namespace vantrel::test {
namespace {

constexpr const char* kOutput = "out";

bool IsTemporary(const std::string& entry) {
    const auto name = entry.substr(entry.find_last_of('/') + 1);
    return name.starts_with('.') && name.find(".vantrel-") != std::string::npos;
}

}  // namespace

ErrorText TextOf(const RaisedError& error) {
    return std::to_string(error.Number) + " " + error.Source + ": " + error.Description;
}

std::string OutcomeTest::PutCabinet(const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(Host("cabs"));
    WriteFile(Host("cabs/" + name), bytes);
    return Windows("cabs/" + name);
}

ListOutcome OutcomeTest::ListCabinet(const std::string& cabinet) {
    ListOutcome outcome;
    const auto messagesBefore = messages_.Texts().size();
    const auto treeBefore = Tree();
    auto cab = CabFor(cabinet);
    cab->FileFound = [&](const std::string& FileName, const DateTime&, std::int32_t,
                         const std::string& Path) { outcome.Files.push_back(Path + FileName); };
    outcome.Result = cab->GetInfo("");
    outcome.Messages.assign(messages_.Texts().begin() + static_cast<long>(messagesBefore),
                            messages_.Texts().end());
    EXPECT_EQ(Tree(), treeBefore) << "listing changed the file system";
    return outcome;
}

ExtractOutcome OutcomeTest::ExtractCabinet(const std::string& cabinet, const FileSet& previous) {
    return ExtractCabinet(cabinet, previous, Windows(kOutput));
}

ExtractOutcome OutcomeTest::ExtractCabinet(const std::string& cabinet, const FileSet& previous,
                                           const std::string& outputPath) {
    std::filesystem::create_directories(Host(kOutput));
    for (const auto& [name, content] : previous) {
        std::filesystem::create_directories(Host(kOutput) /
                                            std::filesystem::path(name).parent_path());
        WriteFile(Host(kOutput) / name, content);
    }
    const auto outsideBefore = TreeOutsideOutput();
    ExtractOutcome outcome;
    auto cab = CabFor(cabinet);
    cab->AfterExtract = [&](const std::string& FileName) {
        outcome.AfterExtract.push_back(FileName);
    };
    outcome.Error = RunExtract(*cab, outputPath);
    outcome.NotWritten = cab->NotWritten();
    for (const auto& name : ListFiles(Host(kOutput))) {
        if (!IsTemporary(name)) {
            outcome.Output[name] = ReadFile(Host(kOutput) / Utf8Path(name));
        }
    }
    EXPECT_EQ(TreeOutsideOutput(), outsideBefore) << "written outside the output folder";
    EXPECT_EQ(Temporaries(), Names{});
    return outcome;
}

std::vector<std::string> OutcomeTest::TreeOutsideOutput() const {
    auto entries = Tree();
    const std::string output = kOutput;
    std::erase_if(entries, [&](const std::string& entry) {
        return entry == output || entry.starts_with(output + "/");
    });
    return entries;
}

std::vector<std::string> OutcomeTest::Temporaries() const {
    auto entries = Tree();
    std::erase_if(entries, [](const std::string& entry) { return !IsTemporary(entry); });
    return entries;
}

ErrorText OutcomeTest::RunExtract(CabFile& cab, const std::string& outputPath) {
    try {
        EXPECT_TRUE(cab.Extract("", outputPath, ""));
    } catch (const RaisedError& error) {
        return TextOf(error);
    }
    return kFinished;
}

void OutcomeTest::ClearOutput() {
    std::filesystem::remove_all(Host(kOutput));
}

}  // namespace vantrel::test
