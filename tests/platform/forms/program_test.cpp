// Forms and the program around them, kept by the runtime whatever shows them: loading, showing
// and unloading a form, the end of the program, the report of an unhandled error and the
// program's folder. No window system runs here.

#include "platform/forms/program.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "platform/file_system.h"
#include "platform/forms/form.h"
#include "shared/raised_error.h"
#include "support/program_recorders.h"
#include "support/raised_by.h"
#include "support/scratch_folder.h"
#include "support/window_design.h"

namespace vantrel::test {
namespace {

namespace fs = std::filesystem;

// A form that counts its events and can refuse to go.
class CountingForm : public Form {
  public:
    CountingForm() : Form({.Caption = "Counting"}) {}

    int Loads = 0;
    int Unloads = 0;
    bool Refuse = false;
    std::function<void()> OnUnload;

  protected:
    void Form_Load() override { ++Loads; }
    void Form_Unload(bool& Cancel) override {
        ++Unloads;
        Cancel = Refuse;
        if (OnUnload) {
            OnUnload();
        }
    }
};

class FormTest : public ::testing::Test {
  protected:
    MessageBoxRecorder messages_;
    EndOfProgramRecorder ending_;
};

TEST_F(FormTest, StartsHiddenAndUnloadedWithItsDesign) {
    FormDesign design = kDialog;
    design.BackColor = Color::Rgb(0, 0, 192);
    const Form form(design);
    EXPECT_EQ(form.Caption(), "Confirm");
    EXPECT_EQ(form.BorderStyle(), FormBorder::FixedDialog);
    EXPECT_FALSE(form.ShowInTaskbar());
    EXPECT_EQ(form.StartUpPosition(), StartPosition::CenterOwner);
    EXPECT_EQ(form.BackColor(), Color::Rgb(0, 0, 192));
    EXPECT_EQ(form.BackColor().Blue(), 192);
    EXPECT_FALSE(form.BackColor().IsSystem());
    EXPECT_EQ(form.Font(), (StdFont{"MS Sans Serif", 8, false, false}));
    EXPECT_EQ(form.ClientWidth(), kDialog.ClientWidth);
    EXPECT_EQ(form.ClientHeight(), kDialog.ClientHeight);
    EXPECT_FALSE(form.Loaded());
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(form.Peer(), nullptr);
}

TEST_F(FormTest, ShowLoadsTheFormOnce) {
    CountingForm form;
    form.Load();
    form.Show();
    form.Show();
    EXPECT_EQ(form.Loads, 1);
    EXPECT_TRUE(form.Loaded());
    EXPECT_TRUE(form.Visible());
    form.Hide();
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(form.Loaded());
}

TEST_F(FormTest, UnloadingCanBeRefusedByTheForm) {
    CountingForm form;
    form.Show();
    form.Refuse = true;
    EXPECT_FALSE(form.Unload());
    EXPECT_TRUE(form.Visible());
    EXPECT_TRUE(form.Loaded());

    form.Refuse = false;
    EXPECT_TRUE(form.Unload());
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(form.Loaded());
    EXPECT_EQ(form.Unloads, 2);
    form.Show();
    EXPECT_EQ(form.Loads, 2);
}

TEST_F(FormTest, AnUnloadHandlerMayEndTheProgram) {
    CountingForm form;
    form.Show();
    form.OnUnload = [] { EndProgram(kExitNotInstalled); };
    EXPECT_TRUE(form.Unload());
    EXPECT_EQ(ending_.Status(), 2);
    EXPECT_FALSE(form.Visible());
}

TEST_F(FormTest, EveryFormIsKnownWhileItLives) {
    const auto before = Forms().size();
    {
        CountingForm first;
        const CountingForm second;
        ASSERT_EQ(Forms().size(), before + 2);
        EXPECT_EQ(Forms()[before], &first);
        EXPECT_EQ(Forms()[before + 1], &second);
    }
    EXPECT_EQ(Forms().size(), before);
}

// ---- Event handlers, the end of the program, unhandled errors

TEST_F(FormTest, AHandlerThatReturnsLeavesTheProgramRunning) {
    bool ran = false;
    EXPECT_TRUE(RunEventHandler([&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_FALSE(ending_.Status().has_value());
    EXPECT_TRUE(messages_.Texts().empty());
}

TEST_F(FormTest, AnErrorEscapingAHandlerIsReportedAndEndsTheProgram) {
    bool after = false;
    EXPECT_FALSE(RunEventHandler([&] {
        throw RaisedError(76, "Vantrel", "Path not found");
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_EQ(messages_.Texts(),
              std::vector<std::string>{"Run-time error '76':\n\nPath not found"});
    EXPECT_EQ(ending_.Status(), 1);
}

TEST_F(FormTest, AnyOtherExceptionIsReportedToo) {
    EXPECT_FALSE(RunEventHandler([] { throw std::runtime_error("broken"); }));
    ASSERT_EQ(messages_.Texts().size(), 1u);
    EXPECT_EQ(messages_.Texts()[0], "Run-time error '51':\n\nInternal error: broken");
    EXPECT_EQ(ending_.Status(), 1);
}

TEST_F(FormTest, RunningOutOfMemoryIsReportedAsSuch) {
    EXPECT_FALSE(RunEventHandler([] { throw std::bad_alloc(); }));
    EXPECT_EQ(messages_.Texts(), std::vector<std::string>{"Run-time error '7':\n\nOut of memory"});
    EXPECT_EQ(ending_.Status(), 1);
}

TEST_F(FormTest, EndingTheProgramClosesEveryWindowAndRunsNothingAfter) {
    CountingForm first, second;
    first.Show();
    second.Show();
    bool after = false;
    EXPECT_FALSE(RunEventHandler([&] {
        EndProgram(kExitNotInstalled);
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_EQ(ending_.Status(), 2);
    EXPECT_FALSE(first.Visible());
    EXPECT_FALSE(second.Visible());
    EXPECT_EQ(first.Unloads + second.Unloads, 0);
    EXPECT_TRUE(messages_.Texts().empty());
}

struct ReportCase {
    std::int32_t Number;
    std::string Description;
    std::string Text;
};

class UnhandledErrorTextTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(UnhandledErrorTextTest, NamesTheNumberAndTheDescription) {
    const RaisedError error(GetParam().Number, "CabFile", GetParam().Description);
    EXPECT_EQ(UnhandledErrorText(error), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, UnhandledErrorTextTest,
    ::testing::Values(ReportCase{76, "Path not found", "Run-time error '76':\n\nPath not found"},
                      ReportCase{112, "There is not enough space on the disk.",
                                 "Run-time error '112':\n\nThere is not enough space on the disk."},
                      ReportCase{
                          -2147219548, "You must set the CabName property.",
                          "Run-time error '-2147219548 (800407a4)':\n\nYou must set the CabName "
                          "property."}));

// ---- The program's folder

// The program's folder holds the test program, and is the one the platform names.
void ExpectTheTestProgramsFolder() {
    const std::string folder = ProgramFolder();
    EXPECT_EQ(folder, ExecutableFolder());
    EXPECT_TRUE(fs::is_regular_file(HostPathOf(folder) / VANTREL_TEST_PROGRAM)) << folder;
}

TEST(ProgramFolderTest, IsTheExecutablesFolderThroughTheDrives) {
    const ScratchFolder scratch;
    ExpectTheTestProgramsFolder();
}

TEST(ProgramFolderTest, CanBePointedElsewhere) {
    {
        const ScopedProgramFolder folder("C:\\Setup");
        EXPECT_EQ(ProgramFolder(), "C:\\Setup");
    }
    const ScratchFolder scratch;
    ExpectTheTestProgramsFolder();
}

}  // namespace
}  // namespace vantrel::test
