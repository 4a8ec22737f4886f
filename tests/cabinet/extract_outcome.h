#pragma once

// What listing or extracting a cabinet ended with, in a form a table of cases can state exactly,
// together with the checks every hostile case shares: nothing changed outside the output folder
// and no temporary file left anywhere.

#include <string>
#include <vector>

#include "cabinet/cabinet_fixture.h"

namespace vantrel::test {

// "<Number> <Source>: <Description>" of a raised error; "" when Extract returned True.
using ErrorText = std::string;

inline const ErrorText kFinished = "";
inline const ErrorText kInvalidData = "13 CabFile: Invalid data.";
inline const ErrorText kBadCrc = "23 CabFile: Data error (cyclic redundancy check).";
inline const ErrorText kAccessDenied = "5 CabFile: Access is denied.";
inline const ErrorText kPathNotFound = "3 CabFile: The system cannot find the path specified.";
inline const ErrorText kDiskFull = "112 CabFile: There is not enough space on the disk.";
inline const ErrorText kInvalidName =
    "123 CabFile: The filename, directory name, or volume label syntax is incorrect.";

ErrorText TextOf(const RaisedError& error);

struct ListOutcome {
    bool Result = false;
    Names Messages;  // message boxes shown during the call
    Names Files;     // Path followed by FileName, one per FileFound
};

struct ExtractOutcome {
    ErrorText Error;
    FileSet Output;      // every file under the output folder afterwards, with its content
    Names NotWritten;    // the object's NotWritten
    Names AfterExtract;  // the paths AfterExtract reported
};

class OutcomeTest : public CabinetTest {
  protected:
    // Writes `bytes` as cabs\<name> and answers its Windows path.
    std::string PutCabinet(const std::string& name, const std::string& bytes);

    ListOutcome ListCabinet(const std::string& cabinet);

    // Extracts into the folder "out" (or `outputPath`, another Windows path for it), where each
    // of `previous` lies beforehand with its content. Fails the test when anything outside "out"
    // changed or a temporary file is left anywhere.
    ExtractOutcome ExtractCabinet(const std::string& cabinet, const FileSet& previous = {});
    ExtractOutcome ExtractCabinet(const std::string& cabinet, const FileSet& previous,
                                  const std::string& outputPath);

    // Files and folders in the scratch folder but outside "out".
    std::vector<std::string> TreeOutsideOutput() const;
    // The service's temporary files anywhere in the scratch folder.
    std::vector<std::string> Temporaries() const;

    // Removes "out", so that a loop can start every case afresh.
    void ClearOutput();

    // Runs the extraction itself; a fixture may run it elsewhere (another user, a child process).
    virtual ErrorText RunExtract(CabFile& cab, const std::string& outputPath);
};

}  // namespace vantrel::test
