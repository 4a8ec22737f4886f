#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cabinet/cab_file.h"
#include "shared/raised_error.h"
#include "support/cab_builder.h"
#include "support/program_recorders.h"
#include "support/raised_by.h"
#include "support/scratch_folder.h"
#include "support/temp_dir.h"

namespace vantrel::test {

// The four values of one FileFound event.
struct FoundFile {
    std::string FileName;
    DateTime Date;
    std::int32_t Size = 0;
    std::string Path;

    bool operator==(const FoundFile&) const = default;
};
void PrintTo(const FoundFile& file, std::ostream* out);

using Names = std::vector<std::string>;

// Relative file name ("/" separated) to content.
using FileSet = std::map<std::string, std::string>;

// Every cabinet test runs in a scratch folder of its own, where its cabinets and output folders
// live; message boxes are recorded.
class CabinetTest : public ::testing::Test {
  protected:
    // Host path and Windows path of `relative` ("/" separated) in the scratch folder.
    std::filesystem::path Host(const std::string& relative) const;
    std::string Windows(const std::string& relative) const;

    // Writes `files` to a temporary folder and packs them with gcab into <cabinet>.
    std::string MakeGcabCabinet(const std::string& cabinet, const FileSet& files, bool compress);
    // Writes a stored cabinet byte by byte to <cabinet>.
    std::string WriteStoredCabinet(const std::string& cabinet,
                                   const std::vector<CabEntry>& entries);
    // Copies a fixture cabinet to <name>.
    std::string CopyFixture(const std::string& name);

    std::shared_ptr<CabFile> CabFor(const std::string& windowsCabinet) const;
    static std::vector<FoundFile> Listing(CabFile& cab, const std::string& argument = "");

    // Files and folders in the scratch folder: the whole world a test may touch.
    std::vector<std::string> Tree() const;

    ScratchFolder scratch_;
    MessageBoxRecorder messages_;
};

}  // namespace vantrel::test
