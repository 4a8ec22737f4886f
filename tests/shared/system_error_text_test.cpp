#include "shared/system_error_text.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

struct TextCase {
    std::int32_t code;
    const char* text;
};

class SystemErrorTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(SystemErrorTextTest, GivesTheWindowsText) {
    EXPECT_EQ(SystemErrorText(GetParam().code), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, SystemErrorTextTest,
    ::testing::Values(
        TextCase{2, "The system cannot find the file specified."},
        TextCase{3, "The system cannot find the path specified."},
        TextCase{4, "The system cannot open the file."}, TextCase{5, "Access is denied."},
        TextCase{8, "Not enough storage is available to process this command."},
        TextCase{13, "Invalid data."},
        TextCase{14, "Not enough storage is available to complete this operation."},
        TextCase{15, "The system cannot find the drive specified."},
        TextCase{19, "The media is write protected."},
        TextCase{20, "The system cannot find the device specified."},
        TextCase{21, "The device is not ready."},
        TextCase{23, "Data error (cyclic redundancy check)."},
        TextCase{25, "The drive cannot locate a specific area or track on the disk."},
        TextCase{26, "The specified disk or diskette cannot be accessed."},
        TextCase{27, "The drive cannot find the sector requested."},
        TextCase{29, "The system cannot write to the specified device."},
        TextCase{30, "The system cannot read from the specified device."},
        TextCase{31, "A device attached to the system is not functioning."},
        TextCase{32,
                 "The process cannot access the file because it is being used by another "
                 "process."},
        TextCase{33,
                 "The process cannot access the file because another process has locked a "
                 "portion of the file."},
        TextCase{39, "The disk is full."}, TextCase{82, "The directory or file cannot be created."},
        TextCase{111, "The file name is too long."},
        TextCase{112, "There is not enough space on the disk."},
        TextCase{123, "The filename, directory name, or volume label syntax is incorrect."},
        TextCase{0, "Unknown error."}, TextCase{1, "Unknown error."}, TextCase{6, "Unknown error."},
        TextCase{124, "Unknown error."}, TextCase{-2, "Unknown error."},
        TextCase{0x10002, "Unknown error."}));

}  // namespace
}  // namespace vantrel
