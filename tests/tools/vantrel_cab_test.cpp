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

// Into a host path, and into the Windows path `where` prints.
TEST_F(VantrelCabTest, ExtractPrintsEveryFileItWrote) {
    const auto outdir = prefix_.DriveC() / "out" / "new";  // created by the tool
    const auto run = Run({"extract", StoredCabinet(), outdir.string()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "C:\\out\\new\\a.jpg\nC:\\out\\new\\set1\\case01\\b.jpg\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(ReadFile(outdir / "a.jpg"), "AAA");
    EXPECT_EQ(ReadFile(outdir / "set1/case01/b.jpg"), "BB");

    const auto windows = Run({"extract", StoredCabinet(), "C:\\Program Files\\Viewer\\"});
    EXPECT_EQ(windows.exitCode, 0) << windows.err;
    EXPECT_EQ(ReadFile(prefix_.DriveC() / "Program Files/Viewer/a.jpg"), "AAA");
}

// The options for diagnosis change how the files are decoded and written, not what comes out.
TEST_F(VantrelCabTest, ExtractOptionsWriteTheSameFiles) {
    const TempDir source;
    const std::string data = std::string(70000, 'a') + "end";
    WriteFile(source / "a.jpg", data);
    const auto cabinet = prefix_.DriveC() / "gcab.cab";
    MakeCabWithGcab(cabinet, source.Path(), true);
    for (const std::string option : {"--libmspack-only", "--named-temporary-files"}) {
        const auto outdir = prefix_.DriveC() / ("out" + option);
        const auto run = Run({"extract", option, cabinet.string(), outdir.string()});
        EXPECT_EQ(run.exitCode, 0) << option << ": " << run.err;
        EXPECT_EQ(ReadFile(outdir / "a.jpg"), data) << option;
    }
}

TEST_F(VantrelCabTest, ExtractNamesEveryFileItDidNotWrite) {
    const auto outdir = prefix_.DriveC() / "out";
    const auto cabinet =
        StoredCabinet({{.Name = "..\\escape", .Data = "x"}, {.Name = "a?\\c", .Data = "y"}});
    const auto run = Run({"extract", cabinet, outdir.string()});
    EXPECT_EQ(run.exitCode, 1);
    const std::string notWritten =
        "\" not written: its name leaves the folder, or its folder cannot be made\n";
    EXPECT_EQ(run.err, "vantrel-cab: " + cabinet + ": \"..\\escape" + notWritten +
                           "vantrel-cab: " + cabinet + ": \"a?\\c" + notWritten);
    EXPECT_EQ(ListFiles(prefix_.DriveC()),
              (Names{"Images.cab", "out/a.jpg", "out/set1/case01/b.jpg"}));
}

TEST_F(VantrelCabTest, OutputFolderThatCannotBeMadeIsAnError) {
    WriteFile(prefix_.DriveC() / "file", "in the way");
    const auto outdir = prefix_.DriveC() / "file" / "out";
    const auto run = Run({"extract", StoredCabinet(), outdir.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "vantrel-cab: " + outdir.string() + ": cannot create this folder\n");
    EXPECT_EQ(ListFiles(prefix_.DriveC()), (Names{"Images.cab", "file"}));
}

TEST_F(VantrelCabTest, RaisedErrorIsPrintedWithNumberSourceAndText) {
    const auto outdir = prefix_.DriveC() / std::string(100, 'd');
    const auto cabinet = StoredCabinet({{.Name = std::string(160, 'n'), .Data = "x"}});
    const auto run = Run({"extract", cabinet, outdir.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.ends_with("vantrel-cab: " + cabinet + ": extracting into " +
                                  outdir.string() +
                                  ": error 9 (CabFile.CabCallBack): Subscript out of range\n"))
        << run.err;
}

// What the component would answer with one message box, "Error22", told apart: each failure
// names the file and its cause, after the message box where the component ran.
TEST_F(VantrelCabTest, FailuresNameTheFileAndTheCause) {
    const auto cabinet = prefix_.DriveC() / "in.cab";
    const std::string stored = BuildStoredCab({{.Name = "a.jpg", .Data = "AAA"}});
    const std::string notCabinet = "not a cabinet (a cabinet begins with \"MSCF\")";
    struct Case {
        const char* what;
        std::optional<std::string> bytes;  // none: no file
        std::string messages;
    };
    for (const auto& [what, bytes, messages] : std::vector<Case>{
             {"missing", std::nullopt, "not found"},
             {"text", "Reference images\n", notCabinet},
             {"zip", std::string("PK\3\4\24\0\0\0", 8) + "a.jpg", notCabinet},
             {"damaged", stored.substr(0, 30), "damaged: the cabinet service cannot read it"}}) {
        std::filesystem::remove(cabinet);
        if (bytes) {
            WriteFile(cabinet, *bytes);
        }
        const std::string messageBox = std::string(what) == "damaged" ? "Vantrel: Error22\n" : "";
        for (const auto& arguments : {std::vector<std::string>{"list", cabinet.string()},
                                      {"extract", cabinet.string(), (scratch_ / "out").string()}}) {
            const auto run = Run(arguments);
            EXPECT_EQ(run.exitCode, 1) << what;
            EXPECT_EQ(run.err,
                      messageBox + "vantrel-cab: " + cabinet.string() + ": " + messages + "\n")
                << what;
            EXPECT_EQ(run.out, "") << what;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(scratch_ / "out"));

    const ScopedEnv noPrefix("WINEPREFIX", (scratch_ / "none").string());
    const auto run = Run({"where"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "Not found ZORVIKViewer\n");
    EXPECT_TRUE(run.err.ends_with((scratch_ / "none/system.reg").string() +
                                  ", which does not exist (the Wine prefix " +
                                  (scratch_ / "none").string() + ", which does not exist)\n"))
        << run.err;
}

TEST_F(VantrelCabTest, PathOutsideEveryDriveIsAnError) {
    const auto cabinet = StoredCabinet();
    std::filesystem::remove(prefix_.Path() / "dosdevices" / "z:");
    const auto run = Run({"list", (scratch_ / "x.cab").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.ends_with("none of the drives of the Wine prefix " +
                                  prefix_.Path().string() + " covers it\n"))
        << run.err;
    EXPECT_EQ(Run({"list", cabinet}).exitCode, 0);
}

TEST_F(VantrelCabTest, WrongUsageExitsWithTwo) {
    for (const auto& arguments : {std::vector<std::string>{},
                                  {"list"},
                                  {"extract", "x.cab"},
                                  {"extract", "--libmspack-only", "x.cab"},
                                  {"extract", "--fast", "x.cab", "out"},
                                  {"list", "a", "b"},
                                  {"unpack", "x.cab", "out"},
                                  {"--help", "list"},
                                  {"--version", "list"}}) {
        const auto run = Run(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.starts_with("usage: vantrel-cab")) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(VantrelCabTest, HelpAndVersionArePrintedOnStandardOutput) {
    for (const char* option : {"--help", "-h"}) {
        const auto run = Run({option});
        EXPECT_EQ(run.exitCode, 0) << option;
        EXPECT_TRUE(run.out.starts_with("usage: vantrel-cab list CABINET\n")) << run.out;
        EXPECT_NE(run.out.find("vantrel-cab --help"), std::string::npos) << run.out;
        EXPECT_EQ(run.err, "") << option;
    }
    const auto version = Run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "1.00\n");
}

TEST_F(VantrelCabTest, WherePrintsTheRegisteredFolder) {
    std::filesystem::create_directories(prefix_.DriveC() / "Program Files" / "Viewer");
    prefix_.WriteSystemReg(ViewerRegistration("C:\\Program Files\\Viewer\\ZORVIKViewer.EXE"));
    const auto run = Run({"where"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "C:\\Program Files\\Viewer\\\n");
}

TEST_F(VantrelCabTest, WhereSaysWhenTheViewerIsNotRegistered) {
    prefix_.WriteSystemReg(SystemRegText());
    const auto run = Run({"where"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "Not found ZORVIKViewer\n");
    // A registration made while a Wine server runs reaches the file only when the server saves.
    EXPECT_NE(run.err.find((prefix_.Path() / "system.reg").string() + " as the Wine server last"),
              std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace vantrel::test
