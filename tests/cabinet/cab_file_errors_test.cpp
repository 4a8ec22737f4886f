// How failures reach the caller: the numbers, Sources and texts Extract raises, errors thrown by
// event handlers, and the error-text tables.

#include <new>
#include <stdexcept>

#include "cabinet/cabinet_fixture.h"

namespace vantrel::test {
namespace {

struct ExtractFailureCase {
    const char* label;
    const char* cabinet;  // "": CabName left empty; a fixture name; else a Windows path
    std::int32_t number;
    const char* description;
};

class ExtractFailureTest : public CabinetTest,
                           public ::testing::WithParamInterface<ExtractFailureCase> {};

TEST_P(ExtractFailureTest, RaisesWithSourceCabFile) {
    const auto& failure = GetParam();
    auto cab = CabFile::Create();
    const std::string cabinet = failure.cabinet;
    if (cabinet.ends_with(".cab") && std::filesystem::exists(FixturePath(cabinet))) {
        cab->SetCabName(CopyFixture(cabinet));
    } else {
        cab->SetCabName(cabinet);
    }
    const auto treeBefore = Tree();
    const std::string nameBefore = cab->CabName();

    const auto error = RaisedBy([&] { cab->Extract("", Windows("out"), ""); });

    EXPECT_EQ(error.Number, failure.number);
    EXPECT_EQ(error.Source, "CabFile");
    EXPECT_EQ(error.Description, failure.description);
    EXPECT_EQ(Tree(), treeBefore);
    EXPECT_EQ(messages_.Texts(), Names{});
    EXPECT_EQ(cab->CabName(), nameBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ExtractFailureTest,
    ::testing::Values(
        ExtractFailureCase{"EmptyCabName", "", -2147219548,
                           "You must set the CabName property before taking any action on the "
                           "CabFile object."},
        ExtractFailureCase{"MissingCabinet", "C:\\missing.cab", 2,
                           "The system cannot find the file specified."},
        ExtractFailureCase{"NotACabinet", "bad_signature.cab", 13, "Invalid data."}),
    [](const auto& info) { return info.param.label; });

// What a handler throws, and what the caller receives for it.
struct ThrownCase {
    const char* label;
    void (*raise)();
    std::int32_t number;
    const char* description;
};

enum class Event { FileFound, BeforeExtract, AfterExtract };

class HandlerErrorTest : public CabinetTest,
                         public ::testing::WithParamInterface<std::tuple<Event, ThrownCase>> {};

// The error ends the walk at once and reaches the caller with its number and description once
// the service has returned; only the Source tells where it passed.
TEST_P(HandlerErrorTest, ReachesTheCallerWithItsNumberAndDescription) {
    const auto& [event, thrown] = GetParam();
    auto cab = CabFor(MakeGcabCabinet("x.cab", {{"a.jpg", "A"}, {"s/b.jpg", "B"}}, true));
    int calls = 0;
    const auto handler = [&, raise = thrown.raise] {
        ++calls;
        raise();
    };
    RaisedError error{0, "", ""};
    if (event == Event::FileFound) {
        cab->FileFound = [&](auto&&...) { handler(); };
        error = RaisedBy([&] { cab->GetInfo(""); });
        EXPECT_EQ(error.Source, "CabFile.GetInfo");
    } else {
        if (event == Event::BeforeExtract) {
            cab->BeforeExtract = [&](auto&&...) { handler(); };
        } else {
            cab->AfterExtract = [&](auto&&...) { handler(); };
        }
        error = RaisedBy([&] { cab->Extract("", Windows("out"), ""); });
        EXPECT_EQ(error.Source, "CabFile.CabCallBack");
        const auto written = std::filesystem::exists(Host("out")) ? ListFiles(Host("out"))
                                                                  : std::vector<std::string>{};
        EXPECT_EQ(written.size(), event == Event::AfterExtract ? 1u : 0u);
    }
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(error.Number, thrown.number);
    EXPECT_EQ(error.Description, thrown.description);
    // The walk failed only because it was stopped: the error is reported, not the failure.
    EXPECT_EQ(messages_.Texts(), Names{});
}

std::string HandlerCaseName(const ::testing::TestParamInfo<std::tuple<Event, ThrownCase>>& info) {
    constexpr const char* kEvents[] = {"FileFound", "BeforeExtract", "AfterExtract"};
    return std::string(kEvents[static_cast<int>(std::get<0>(info.param))]) +
           std::get<1>(info.param).label;
}

INSTANTIATE_TEST_SUITE_P(
    Handlers, HandlerErrorTest,
    ::testing::Combine(
        ::testing::Values(Event::FileFound, Event::BeforeExtract, Event::AfterExtract),
        ::testing::Values(
            ThrownCase{"RaisedError", [] { throw RaisedError(1001, "Handler", "stop here"); }, 1001,
                       "stop here"},
            ThrownCase{"OutOfMemory", [] { throw std::bad_alloc(); }, 7, "Out of memory"},
            ThrownCase{"StandardException", [] { throw std::runtime_error("disk check failed"); },
                       51, "disk check failed"})),
    HandlerCaseName);

// CabFile explains codes with the program's one table of system error texts.
TEST(Win32ErrorTextTest, GivesTheSystemTextOrUnknownError) {
    EXPECT_EQ(CabFile::Win32ErrorText(112), "There is not enough space on the disk.");
    for (std::int32_t code : {0, 6, 124}) {
        EXPECT_EQ(CabFile::Win32ErrorText(code), "Unknown error.") << code;
    }
}

TEST(CabErrorTextTest, KnowsOnlyTheObjectError) {
    EXPECT_EQ(CabFile::CabErrorText(CabFile::CabObjectError),
              "You must set the CabName property before taking any action on the CabFile "
              "object.");
    EXPECT_EQ(CabFile::CabErrorText(-2147219548), CabFile::CabErrorText(CabFile::CabObjectError));
    for (std::int32_t number : {0, 9, 1956, -2147219547}) {
        EXPECT_EQ(CabFile::CabErrorText(number), "Unknown error.") << number;
    }
}

}  // namespace
}  // namespace vantrel::test
