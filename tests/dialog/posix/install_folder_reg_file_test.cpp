// The discovery over a Wine prefix's system.reg as the POSIX layer reads it: missing and broken
// files, and what only the file's own forms can say.

#include <sys/stat.h>

#include <random>

#include "dialog/install_folder_fixture.h"
#include "support/posix/scratch_place.h"

namespace vantrel::test {
namespace {

class RegFileTest : public InstallFolderTest {
  protected:
    void WriteSystemReg(const std::string& text) const { PrefixOf(scratch_).WriteSystemReg(text); }
    std::filesystem::path SystemReg() const { return PrefixOf(scratch_).Path() / "system.reg"; }
};

TEST_F(RegFileTest, StringWrittenAsHexIsAString) {
    WriteSystemReg(SystemRegWithViewer(
        "@=hex(1):43,00,3a,00,5c,00,76,00,5c,00,76,00,2e,00,65,00,78,00,65,00,00,00\n"));
    EXPECT_EQ(Discover(), (Outcome{true, "C:\\v\\"}));
}

TEST_F(RegFileTest, WithoutTheFileTheViewerIsNotRegistered) {
    std::filesystem::remove(SystemReg());
    EXPECT_EQ(Discover(), kNotRegistered);
    const ScopedEnv nowhere("WINEPREFIX", (PrefixOf(scratch_).Path() / "absent").string());
    EXPECT_EQ(Discover(), kNotRegistered);
}

TEST_F(RegFileTest, NothingIsWrittenToTheFile) {
    const std::string text = SystemRegText();
    WriteSystemReg(text);
    EXPECT_EQ(Discover(), kNotRegistered);
    EXPECT_EQ(ReadFile(SystemReg()), text);
}

// Broken files of every kind end in "not registered", or, where the broken part lies outside
// the registration, are read as Wine reads them.
TEST_F(RegFileTest, RandomBytesAreNotARegistration) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(random() % 8192, '\0');
        for (auto& byte : bytes) {
            byte = static_cast<char>(random() % 256);
        }
        const std::string text = round % 2 == 0 ? bytes : "WINE REGISTRY Version 2\n" + bytes;
        WriteSystemReg(text);
        ASSERT_EQ(Discover(), kNotRegistered) << "round " << round;
    }
}

TEST_F(RegFileTest, TruncationsRegisterOnlyOnceTheValueIsComplete) {
    const std::string valueLine = R"(@="C:\\Program Files\\Viewer\\ZORVIKViewer.EXE")";
    const std::string text =
        SystemRegWithViewer(valueLine + "\n\"Version\"=hex:01,02,03,\\\n  04\n");
    const std::size_t complete = text.find(valueLine) + valueLine.size();
    for (std::size_t length = 0; length <= text.size(); ++length) {
        WriteSystemReg(text.substr(0, length));
        const Outcome expected =
            length >= complete ? Outcome{true, "C:\\Program Files\\Viewer\\"} : kNotRegistered;
        ASSERT_EQ(Discover(), expected) << "cut after " << length << " bytes";
    }
}

TEST_F(RegFileTest, HugeLinesAreSkipped) {
    const std::string huge(std::size_t{30} << 20, 'x');
    const std::string value = R"(@="C:\\Viewer\\ZORVIKViewer.EXE")";
    const std::string header = SystemRegText();
    const std::string section = SystemRegWithViewer("").substr(header.size());
    WriteSystemReg(SystemRegWithViewer("@=\"C:\\\\Viewer\\\\" + huge));
    EXPECT_EQ(Discover(), kNotRegistered);
    // The key's name on the same line as the huge text is lost with it...
    WriteSystemReg(header + huge + section.substr(1) + value);
    EXPECT_EQ(Discover(), kNotRegistered);
    // ... but on a line of its own it is read.
    WriteSystemReg(header + huge + section + value);
    EXPECT_EQ(Discover(), (Outcome{true, "C:\\Viewer\\"}));
}

TEST_F(RegFileTest, BrokenLinesAroundTheValueAreSkipped) {
    WriteSystemReg(SystemRegWithViewer(
        "\"Unterminated\"=\"abc\n\"Bad escape at the end\"=\"\\\n@=\"C:\\\\Viewer\\\\v.exe\"\n"));
    EXPECT_EQ(Discover(), (Outcome{true, "C:\\Viewer\\"}));
    WriteSystemReg(SystemRegWithViewer("@=\"C:\\\\Viewer\\\\v.exe\n"));
    EXPECT_EQ(Discover(), kNotRegistered);
}

TEST_F(RegFileTest, SomethingElseInPlaceOfTheFileIsNotARegistration) {
    const auto file = SystemReg();
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    EXPECT_EQ(Discover(), kNotRegistered);
    std::filesystem::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(Discover(), kNotRegistered);
}

}  // namespace
}  // namespace vantrel::test
