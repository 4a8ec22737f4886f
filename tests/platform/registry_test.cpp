#include "platform/registry.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/ansi.h"
#include "support/posix/temp_prefix.h"

namespace vantrel {
namespace {

constexpr const char* kViewerKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZORVIKViewer.EXE";

constexpr std::string_view kSystemReg = R"REG(WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win64

[Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZORVIKViewer.EXE] 1700000000
#time=1d9e6f0a1b2c3d4
@="C:\\Program Files\\Viewer\\ZORVIKViewer.EXE"
"Count"=dword:0000002a
"Bytes"=hex:de,ad,be,ef
"List"=str(7):"one\0two\0"
"Expand"=str(2):"%ProgramFiles%\\Viewer"
"Empty"=""
"Japanese"="C:\\\x8868\x793a\x30bd\x30d5\x30c8\\ZORVIKViewer.EXE"
"Accented"="Vi\xe9wer"

[Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZORVIKViewer.EXE\\Plugins] 1700000000
@="plugin"

[Software\\Vantrel\\NoDefault] 1700000000
"Other"="x"
)REG";

// Closes the handle it holds when it goes.
class Key {
  public:
    Key() = default;
    ~Key() {
        if (handle_ != nullptr) {
            RegCloseKey(handle_);
        }
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    HKEY* Out() { return &handle_; }
    HKEY Get() const { return handle_; }

  private:
    HKEY handle_ = nullptr;
};

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { prefix_.WriteSystemReg(std::string(kSystemReg)); }

    LONG Open(const char* path, Key& key, HKEY parent = HKEY_LOCAL_MACHINE,
              DWORD access = KEY_QUERY_VALUE) {
        return RegOpenKeyExA(parent, path, 0, access, key.Out());
    }

    LONG Create(const char* path, Key& key, DWORD access = KEY_QUERY_VALUE) {
        SECURITY_ATTRIBUTES security{};
        return RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                               access, &security, key.Out(), &disposition_);
    }

    // The whole value as the query hands it over, with its type; empty on failure.
    std::string Query(HKEY key, const char* name, DWORD* type = nullptr) {
        std::array<BYTE, 512> buffer{};
        DWORD size = buffer.size();
        if (RegQueryValueExA(key, name, nullptr, type, buffer.data(), &size) != ERROR_SUCCESS) {
            return {};
        }
        return std::string(buffer.begin(), buffer.begin() + size);
    }

    test::TempPrefix prefix_;
    test::ScopedEnv locale_{"LC_ALL", "C.UTF-8"};
    DWORD disposition_ = 0;
};

TEST_F(RegistryTest, OpensAnExistingKeyAndReadsItsDefaultValue) {
    Key key;
    ASSERT_EQ(Open(kViewerKey, key), ERROR_SUCCESS);

    std::array<BYTE, 513> buffer{};
    DWORD size = 512;
    DWORD type = REG_NONE;
    ASSERT_EQ(RegQueryValueExA(key.Get(), "", nullptr, &type, buffer.data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    const std::string expected = "C:\\Program Files\\Viewer\\ZORVIKViewer.EXE";
    EXPECT_EQ(size, expected.size() + 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data())), expected);
    EXPECT_EQ(Query(key.Get(), nullptr), expected + '\0');
}

TEST_F(RegistryTest, HandsOverEachTypeWithItsData) {
    Key key;
    ASSERT_EQ(Open(kViewerKey, key), ERROR_SUCCESS);
    DWORD type = REG_NONE;
    EXPECT_EQ(Query(key.Get(), "Count", &type), std::string("\x2a\0\0\0", 4));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(Query(key.Get(), "Bytes", &type), "\xde\xad\xbe\xef");
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(Query(key.Get(), "List", &type), std::string("one\0two\0\0", 9));
    EXPECT_EQ(type, REG_MULTI_SZ);
    EXPECT_EQ(Query(key.Get(), "Expand", &type), std::string("%ProgramFiles%\\Viewer\0", 22));
    EXPECT_EQ(type, REG_EXPAND_SZ);
    EXPECT_EQ(Query(key.Get(), "Empty", &type), std::string(1, '\0'));
    EXPECT_EQ(type, REG_SZ);
}

TEST_F(RegistryTest, KeyAndValueNamesIgnoreCase) {
    Key key;
    ASSERT_EQ(
        Open("software\\MICROSOFT\\windows\\currentversion\\app paths\\zorvikviewer.exe", key),
        ERROR_SUCCESS);
    EXPECT_EQ(Query(key.Get(), "COUNT"), std::string("\x2a\0\0\0", 4));
}

TEST_F(RegistryTest, DataThatDoesNotFitAsksForTheSizeNeeded) {
    Key key;
    ASSERT_EQ(Open(kViewerKey, key), ERROR_SUCCESS);
    const DWORD needed = sizeof "C:\\Program Files\\Viewer\\ZORVIKViewer.EXE";

    std::array<BYTE, 64> buffer{};
    DWORD size = needed - 1;
    DWORD type = REG_NONE;
    EXPECT_EQ(RegQueryValueExA(key.Get(), "", nullptr, &type, buffer.data(), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(buffer, (std::array<BYTE, 64>{}));  // nothing written

    size = 0;
    EXPECT_EQ(RegQueryValueExA(key.Get(), "", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, needed);

    size = needed;
    EXPECT_EQ(RegQueryValueExA(key.Get(), "", nullptr, nullptr, buffer.data(), &size),
              ERROR_SUCCESS);
}

TEST_F(RegistryTest, MissingValuesAreNotFound) {
    Key key;
    ASSERT_EQ(Open("Software\\Vantrel\\NoDefault", key), ERROR_SUCCESS);
    DWORD size = 16;
    std::array<BYTE, 16> buffer{};
    EXPECT_EQ(RegQueryValueExA(key.Get(), "", nullptr, nullptr, buffer.data(), &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(key.Get(), "Absent", nullptr, nullptr, buffer.data(), &size),
              ERROR_FILE_NOT_FOUND);
}

// Opening a missing key finds nothing; creating it is what a user without the right to change
// HKEY_LOCAL_MACHINE is denied.
TEST_F(RegistryTest, AMissingKeyIsNotCreatedAndLeavesNoUsableHandle) {
    const std::string before = test::ReadFile(prefix_.Path() / "system.reg");
    Key opened;
    EXPECT_EQ(Open("Software\\Vantrel\\Missing", opened), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(opened.Get(), nullptr);
    Key created;
    EXPECT_EQ(Create("Software\\Vantrel\\Missing", created), ERROR_ACCESS_DENIED);
    EXPECT_EQ(created.Get(), nullptr);
    DWORD size = 16;
    std::array<BYTE, 16> buffer{};
    EXPECT_EQ(RegQueryValueExA(opened.Get(), "", nullptr, nullptr, buffer.data(), &size),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(opened.Get()), ERROR_INVALID_HANDLE);
    EXPECT_EQ(test::ReadFile(prefix_.Path() / "system.reg"), before);
}

TEST_F(RegistryTest, CreatingAnExistingKeyOpensIt) {
    Key key;
    ASSERT_EQ(Create(kViewerKey, key), ERROR_SUCCESS);
    EXPECT_EQ(disposition_, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(Query(key.Get(), "Count"), std::string("\x2a\0\0\0", 4));
}

TEST_F(RegistryTest, AskingToChangeAKeyIsDenied) {
    for (const DWORD access : {KEY_SET_VALUE, KEY_CREATE_SUB_KEY, GENERIC_WRITE, GENERIC_ALL}) {
        Key opened;
        EXPECT_EQ(Open(kViewerKey, opened, HKEY_LOCAL_MACHINE, access), ERROR_ACCESS_DENIED);
        EXPECT_EQ(opened.Get(), nullptr);
        Key created;
        EXPECT_EQ(Create(kViewerKey, created, access), ERROR_ACCESS_DENIED);
        EXPECT_EQ(created.Get(), nullptr);
    }
    Key key;
    ASSERT_EQ(Open(kViewerKey, key, HKEY_LOCAL_MACHINE, KEY_ENUMERATE_SUB_KEYS), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key.Get(), "", nullptr, nullptr, nullptr, &size),
              ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, OpensSubkeysRelativeToAnOpenKey) {
    Key parent;
    ASSERT_EQ(Open("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths", parent),
              ERROR_SUCCESS);
    Key viewer;
    ASSERT_EQ(Open("ZORVIKViewer.EXE", viewer, parent.Get()), ERROR_SUCCESS);
    Key plugins;
    ASSERT_EQ(Open("Plugins", plugins, viewer.Get()), ERROR_SUCCESS);
    EXPECT_EQ(Query(plugins.Get(), ""), std::string("plugin\0", 7));
    Key same;
    ASSERT_EQ(Open(nullptr, same, viewer.Get()), ERROR_SUCCESS);
    EXPECT_EQ(Query(same.Get(), "Count"), std::string("\x2a\0\0\0", 4));
    Key rooted;
    EXPECT_EQ(Open("\\Software", rooted), ERROR_BAD_PATHNAME);
}

TEST_F(RegistryTest, AClosedHandleIsUnusable) {
    HKEY handle = nullptr;
    SECURITY_ATTRIBUTES security{};
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kViewerKey, 0, nullptr, 0, KEY_QUERY_VALUE,
                              &security, &handle, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(handle), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(handle, "", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(handle), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, RejectsMisusedParameters) {
    Key key;
    ASSERT_EQ(Open(kViewerKey, key), ERROR_SUCCESS);
    DWORD reserved = 0;
    DWORD size = 0;
    std::array<BYTE, 4> buffer{};
    EXPECT_EQ(RegQueryValueExA(key.Get(), "", &reserved, nullptr, nullptr, &size),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key.Get(), "", nullptr, nullptr, buffer.data(), nullptr),
              ERROR_INVALID_PARAMETER);
    HKEY handle = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kViewerKey, 1, nullptr, 0, KEY_QUERY_VALUE,
                              nullptr, &handle, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExA(reinterpret_cast<HKEY>(std::uintptr_t{0x1234}), "Software", 0,
                              nullptr, 0, KEY_QUERY_VALUE, nullptr, &handle, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(reinterpret_cast<HKEY>(std::uintptr_t{0x1234}), "Software", 0,
                            KEY_QUERY_VALUE, &handle),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kViewerKey, 0, KEY_QUERY_VALUE, nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryTest, WithoutAPrefixNoKeyExists) {
    test::ScopedEnv nowhere("WINEPREFIX", (prefix_.Path() / "absent").string());
    Key opened;
    EXPECT_EQ(Open(kViewerKey, opened), ERROR_FILE_NOT_FOUND);
    Key created;
    EXPECT_EQ(Create(kViewerKey, created), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, TextComesInTheAnsiCodePageOfTheLocale) {
    Key key;
    ASSERT_EQ(Open(kViewerKey, key), ERROR_SUCCESS);
    EXPECT_EQ(Query(key.Get(), "Accented"), std::string("Vi\xe9wer\0", 7));  // code page 1252

    test::ScopedEnv japanese("LC_ALL", "ja_JP.UTF-8");
    const std::string folder = "C:\\表示ソフト\\ZORVIKViewer.EXE";
    const std::string bytes = Query(key.Get(), "Japanese");
    EXPECT_EQ(bytes, ToAnsi(folder, 932) + '\0');
    // "表" is 0x95 0x5C in code page 932: its second byte looks like a "\".
    EXPECT_NE(bytes.find("\x95\x5c"), std::string::npos);
    EXPECT_EQ(FromAnsi(bytes.substr(0, bytes.size() - 1), 932), folder);
}

}  // namespace
}  // namespace vantrel
