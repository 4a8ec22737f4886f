// vantrel-cab run as a program: its output, exit codes and error lines.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <regex>

#include "support/cab_builder.h"
#include "support/posix/temp_prefix.h"

namespace vantrel::test {
namespace {

using Names = std::vector<std::string>;

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

class VantrelCabTest : public ::testing::Test {
  protected:
    ToolRun Run(const std::vector<std::string>& arguments) const {
        std::string command = Quoted(VANTREL_CAB_TOOL);
        for (const auto& argument : arguments) {
            command += " " + Quoted(argument);
        }
        const auto out = scratch_ / "stdout";
        const auto err = scratch_ / "stderr";
        command += " >" + Quoted(out.string()) + " 2>" + Quoted(err.string());
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
    }

    // a.jpg at the top, b.jpg two folders down; both stamped 2009-01-01 12:00:00.
    std::string StoredCabinet(std::vector<CabEntry> extra = {}) const {
        std::vector<CabEntry> entries = {{.Name = "a.jpg", .Data = "AAA"},
                                         {.Name = "set1\\case01\\b.jpg", .Data = "BB"}};
        entries.insert(entries.end(), extra.begin(), extra.end());
        const auto cabinet = prefix_.DriveC() / "Images.cab";
        WriteFile(cabinet, BuildStoredCab(entries));
        return cabinet.string();
    }

    TempPrefix prefix_;
    TempDir scratch_;
};

TEST_F(VantrelCabTest, ListPrintsNameSizeAndStampOfEveryFile) {
    const TempDir source;
    std::filesystem::create_directories(source / "s");
    WriteFile(source / "a.jpg", "12345");
    WriteFile(source / "s/b.jpg", std::string(40000, 'b'));
    const auto cabinet = prefix_.DriveC() / "gcab.cab";
    MakeCabWithGcab(cabinet, source.Path(), true);

    const auto run = Run({"list", cabinet.string()});

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(std::regex_match(
        run.out, std::regex("a\\.jpg\t5\t[0-9]{14}\ns\\\\b\\.jpg\t40000\t[0-9]{14}\n")))
        << run.out;
    EXPECT_EQ(run.err, "");
}

TEST_F(VantrelCabTest, ListShowsTheStoredStamp) {
    const auto run = Run({"list", StoredCabinet()});
    EXPECT_EQ(run.out, "a.jpg\t3\t20090101120000\nset1\\case01\\b.jpg\t2\t20090101120000\n");
}

TEST_F(VantrelCabTest, ExtractWritesTheFilesSilently) {
    const auto outdir = prefix_.DriveC() / "out" / "new";  // created by the tool
    const auto run = Run({"extract", StoredCabinet(), outdir.string()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadFile(outdir / "a.jpg"), "AAA");
    EXPECT_EQ(ReadFile(outdir / "set1/case01/b.jpg"), "BB");
}

TEST_F(VantrelCabTest, ExtractNamesEveryFileItDidNotWrite) {
    const auto outdir = prefix_.DriveC() / "out";
    const auto cabinet =
        StoredCabinet({{.Name = "..\\escape", .Data = "x"}, {.Name = "a?\\c", .Data = "y"}});
    const auto run = Run({"extract", cabinet, outdir.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "not written: ..\\escape\nnot written: a?\\c\n");
    EXPECT_EQ(ListFiles(prefix_.DriveC()),
              (Names{"Images.cab", "out/a.jpg", "out/set1/case01/b.jpg"}));
}

TEST_F(VantrelCabTest, OutputFolderThatCannotBeMadeIsAnError) {
    WriteFile(prefix_.DriveC() / "file", "in the way");
    const auto outdir = prefix_.DriveC() / "file" / "out";
    const auto run = Run({"extract", StoredCabinet(), outdir.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "vantrel-cab: cannot create " + outdir.string() + "\n");
    EXPECT_EQ(ListFiles(prefix_.DriveC()), (Names{"Images.cab", "file"}));
}

TEST_F(VantrelCabTest, RaisedErrorIsPrintedWithNumberSourceAndText) {
    const auto outdir = prefix_.DriveC() / std::string(100, 'd');
    const auto run = Run({"extract", StoredCabinet({{.Name = std::string(160, 'n'), .Data = "x"}}),
                          outdir.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "error 9 (CabFile.CabCallBack): Subscript out of range\n");
}

TEST_F(VantrelCabTest, FailedListingShowsTheMessageBoxText) {
    const auto missing = (prefix_.DriveC() / "missing.cab").string();
    for (const auto& arguments : {std::vector<std::string>{"list", missing},
                                  {"extract", missing, (scratch_ / "out").string()}}) {
        const auto run = Run(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments[0];
        EXPECT_EQ(run.err, "Vantrel: Error22\n") << arguments[0];
        EXPECT_EQ(run.out, "") << arguments[0];
    }
}

TEST_F(VantrelCabTest, PathOutsideEveryDriveIsAnError) {
    const auto cabinet = StoredCabinet();
    std::filesystem::remove(prefix_.Path() / "dosdevices" / "z:");
    const auto run = Run({"list", (scratch_ / "x.cab").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("no drive covers"), std::string::npos) << run.err;
    EXPECT_EQ(Run({"list", cabinet}).exitCode, 0);
}

TEST_F(VantrelCabTest, WrongUsageExitsWithTwo) {
    for (const auto& arguments : {std::vector<std::string>{},
                                  {"list"},
                                  {"extract", "x.cab"},
                                  {"list", "a", "b"},
                                  {"unpack", "x.cab", "out"},
                                  {"--help", "list"},
                                  {"--version"}}) {
        const auto run = Run(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.starts_with("usage: vantrel-cab")) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(VantrelCabTest, HelpPrintsTheUsageOnStandardOutput) {
    for (const char* option : {"--help", "-h"}) {
        const auto run = Run({option});
        EXPECT_EQ(run.exitCode, 0) << option;
        EXPECT_TRUE(run.out.starts_with("usage: vantrel-cab list CABINET\n")) << run.out;
        EXPECT_NE(run.out.find("vantrel-cab --help"), std::string::npos) << run.out;
        EXPECT_EQ(run.err, "") << option;
    }
}

TEST_F(VantrelCabTest, WherePrintsTheRegisteredFolder) {
    std::filesystem::create_directories(prefix_.DriveC() / "Program Files" / "Viewer");
    prefix_.WriteSystemReg(ViewerRegistration("C:\\Program Files\\Viewer\\ZORVIKViewer.EXE"));
    const auto run = Run({"where"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "C:\\Program Files\\Viewer\\\n");
}

TEST_F(VantrelCabTest, WhereSaysWhenTheViewerIsNotRegistered) {
    const auto run = Run({"where"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "Not found ZORVIKViewer\n");
}

}  // namespace
}  // namespace vantrel::test
