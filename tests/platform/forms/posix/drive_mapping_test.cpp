// The drive and folder services of the forms where the drives are a Wine prefix's links, which
// only the POSIX layer can add and take away while a program runs.

#include <gtest/gtest.h>

#include "platform/forms/drive_list_box.h"
#include "platform/forms/form.h"
#include "platform/forms/program.h"
#include "shared/raised_error.h"
#include "support/posix/scratch_place.h"
#include "support/raised_by.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

class DriveMappingTest : public ::testing::Test {
  protected:
    Form form_{{.Caption = "Form"}};
    ScratchFolder scratch_;
    TempPrefix& prefix_ = PrefixOf(scratch_);
    TempDir other_;
};

TEST_F(DriveMappingTest, DriveListOffersAMappedDrive) {
    prefix_.MapDrive('d', other_.Path());
    const ScopedCurrentFolder current(other_.Path());
    DriveListBox drives(form_);
    EXPECT_EQ(drives.List(), (std::vector<std::string>{"c:", "d:", "z:"}));
    EXPECT_EQ(drives.ListIndex(), 1);
    EXPECT_EQ(drives.Drive(), "d:");
}

TEST_F(DriveMappingTest, DriveListStartsOnTheFirstDriveWhenNoneHoldsTheCurrentFolder) {
    prefix_.MapDrive('d', other_.Path());
    fs::remove(prefix_.Path() / "dosdevices" / "z:");
    const ScopedCurrentFolder current(other_.Path().parent_path());
    DriveListBox drives(form_);
    EXPECT_EQ(drives.List(), (std::vector<std::string>{"c:", "d:"}));
    EXPECT_EQ(drives.Drive(), "c:");
}

TEST_F(DriveMappingTest, NoDriveHoldingTheProgramIsPathNotFound) {
    fs::remove(prefix_.Path() / "dosdevices" / "z:");
    const RaisedError error = RaisedBy([] { ProgramFolder(); });
    EXPECT_EQ(error.Number, 76);
    EXPECT_EQ(error.Description, "Path not found");
}

}  // namespace
}  // namespace vantrel::test
