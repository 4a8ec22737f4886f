#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {
class CabFile;
}  // namespace vantrel

namespace vantrel::test {

class TempPrefix;

// What one installation pass over a cabinet came to.
struct CabinetRunOutcome {
    bool Listed = false;                  // GetInfo answered True
    std::int32_t ListedFiles = 0;         // FileFound events
    std::int32_t RaisedNumber = 0;        // Number of the error Extract raised, 0 when none
    std::string RaisedDescription;        // its text
    std::int32_t WrittenFiles = 0;        // files found under the output folder afterwards
    std::vector<std::string> Violations;  // broken guarantees; empty when all held
};

// Runs any bytes through the installer's cabinet path: writes them as C:\in\Images.cab in a
// scratch prefix (what follows kSecondPartMark, if present, as C:\in\Images2.cab, so that
// cabinet sets are tried too), lists them, extracts them into C:\out\, and checks afterwards
// that nothing was written outside the output folder, no temporary file stayed behind and a file
// placed beside the output folder is untouched. Then it extracts them again with libmspack
// decoding every folder, one file after the other, and checks that the walk's own MSZIP decoding,
// with small files decoded ahead and written on a second thread, came to the same: the same
// error raised, the same files reported written in the same order, with the same bytes and
// stamps. The prefix maps C: only, so a fault cannot reach the host.
inline constexpr std::string_view kSecondPartMark = "#VANTREL-PART-2#";

class CabinetHarness {
  public:
    CabinetHarness();
    ~CabinetHarness();
    CabinetHarness(const CabinetHarness&) = delete;
    CabinetHarness& operator=(const CabinetHarness&) = delete;

    CabinetRunOutcome Run(std::string_view cabinetBytes);

  private:
    struct ExtractRun {
        std::int32_t RaisedNumber = 0;
        std::string RaisedDescription;
        std::map<std::string, std::string> Files;    // under the output folder, with their bytes
        std::map<std::string, std::int64_t> Stamps;  // and their modification times
        std::vector<std::string> Reported;           // AfterExtract, in order

        bool operator==(const ExtractRun&) const = default;
    };

    ExtractRun Extract(CabFile& cab, CabinetRunOutcome& outcome);
    void ResetScratch();
    void CheckScratch(CabinetRunOutcome& outcome, const std::set<std::string>& listedNames) const;

    std::unique_ptr<TempPrefix> prefix_;
};

}  // namespace vantrel::test
