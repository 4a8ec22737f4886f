// Inputs the fuzzer found worth keeping, replayed through the same harness. Each line of
// expected.tsv names an input and what installing it must come to; every input must also keep
// the harness's guarantees (nothing outside the output folder, no temporary file left).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/cabinet_harness.h"
#include "support/temp_dir.h"

namespace vantrel::test {
namespace {

const std::filesystem::path kInputs = std::filesystem::path(VANTREL_TEST_DATA_DIR) / "fuzz";

struct ExpectedRun {
    std::string Input;
    bool Listed = false;
    std::int32_t ListedFiles = 0;
    std::int32_t RaisedNumber = 0;
    std::int32_t WrittenFiles = 0;
};

void PrintTo(const ExpectedRun& run, std::ostream* out) {
    *out << run.Input;
}

std::vector<ExpectedRun> ReadExpectations() {
    std::vector<ExpectedRun> runs;
    std::ifstream manifest(kInputs / "expected.tsv");
    std::string line;
    while (std::getline(manifest, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        ExpectedRun run;
        std::string listed;
        fields >> run.Input >> listed >> run.ListedFiles >> run.RaisedNumber >> run.WrittenFiles;
        run.Listed = listed == "listed";
        runs.push_back(run);
    }
    return runs;
}

class FuzzRegressionTest : public ::testing::TestWithParam<ExpectedRun> {};

TEST_P(FuzzRegressionTest, InstallsAsRecorded) {
    const ExpectedRun& expected = GetParam();
    CabinetHarness harness;
    const auto outcome = harness.Run(ReadFile(kInputs / expected.Input));

    EXPECT_EQ(outcome.Violations, std::vector<std::string>{});
    EXPECT_EQ(outcome.Listed, expected.Listed);
    EXPECT_EQ(outcome.ListedFiles, expected.ListedFiles);
    EXPECT_EQ(outcome.RaisedNumber, expected.RaisedNumber) << outcome.RaisedDescription;
    EXPECT_EQ(outcome.WrittenFiles, expected.WrittenFiles);
}

INSTANTIATE_TEST_SUITE_P(Inputs, FuzzRegressionTest, ::testing::ValuesIn(ReadExpectations()),
                         [](const auto& info) {
                             std::string name = info.param.Input;
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

TEST(FuzzRegressionInputs, EveryInputHasAnExpectation) {
    std::vector<std::string> listed;
    for (const auto& run : ReadExpectations()) {
        listed.push_back(run.Input);
    }
    for (const auto& entry : std::filesystem::directory_iterator(kInputs)) {
        if (entry.path().extension() == ".cab") {
            EXPECT_NE(std::find(listed.begin(), listed.end(), entry.path().filename()),
                      listed.end())
                << entry.path().filename();
        }
    }
    EXPECT_FALSE(listed.empty());
}

}  // namespace
}  // namespace vantrel::test
