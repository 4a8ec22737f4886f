// Vantrel.exe's identity as Windows reads it from the built program: the version record, the
// three icons and the manifest. Windows only: these are resources of the Windows executable.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/text/ansi_text.h"
#include "windows/resource_ids.h"

namespace {

// Vantrel.exe lies beside the test programs in the build's bin folder.
std::wstring VantrelExe() {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.rfind(L'\\') + 1) + L"Vantrel.exe";
}

std::vector<BYTE> VersionRecord() {
    const std::wstring exe = VantrelExe();
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), nullptr);
    std::vector<BYTE> record(size);
    if (size == 0 || !GetFileVersionInfoW(exe.c_str(), 0, size, record.data())) {
        record.clear();
    }
    return record;
}

std::string Utf8(const wchar_t* text) {
    return vantrel::win32::BytesFrom(text, CP_UTF8);
}

class VersionRecordTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(record_.empty()) << "no version record in Vantrel.exe"; }

    std::vector<BYTE> record_ = VersionRecord();
};

TEST_F(VersionRecordTest, IsJapaneseInUnicode) {
    struct Translation {
        WORD language;
        WORD codePage;
    };
    void* value = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(record_.data(), L"\\VarFileInfo\\Translation", &value, &size));
    ASSERT_EQ(size, sizeof(Translation));
    const auto* translation = static_cast<const Translation*>(value);
    EXPECT_EQ(translation->language, 0x0411);
    EXPECT_EQ(translation->codePage, 1200);
}

TEST_F(VersionRecordTest, FixedPartIsVersionOneForAnApplication) {
    void* value = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(record_.data(), L"\\", &value, &size));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

struct VersionString {
    const wchar_t* name;
    const char* value;
};

void PrintTo(const VersionString& s, std::ostream* out) {
    *out << Utf8(s.name);
}

class VersionStringTest : public VersionRecordTest,
                          public ::testing::WithParamInterface<VersionString> {};

TEST_P(VersionStringTest, HasTheValue) {
    const std::wstring query = std::wstring(L"\\StringFileInfo\\041104B0\\") + GetParam().name;
    void* value = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(record_.data(), query.c_str(), &value, &size));
    EXPECT_EQ(Utf8(static_cast<const wchar_t*>(value)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Strings, VersionStringTest,
                         ::testing::Values(VersionString{L"FileVersion", "1.00"},
                                           VersionString{L"ProductVersion", "1.00"},
                                           VersionString{L"ProductName", "Vantrel"},
                                           VersionString{L"InternalName", "Vantrel"},
                                           VersionString{L"OriginalFilename", "Vantrel.exe"}));

// The program's resources, loaded as data: nothing of Vantrel.exe runs.
class ResourcesTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_NE(module_, nullptr) << "cannot load Vantrel.exe"; }
    void TearDown() override {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }

    HMODULE module_ = LoadLibraryExW(VantrelExe().c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
};

BOOL CALLBACK CollectId(HMODULE, LPCSTR, LPSTR name, LONG_PTR ids) {
    if (IS_INTRESOURCE(name)) {
        reinterpret_cast<std::vector<int>*>(ids)->push_back(
            static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
    }
    return TRUE;
}

TEST_F(ResourcesTest, HoldsTheThreeIconsInEverySize) {
    std::vector<int> ids;
    EnumResourceNamesA(module_, RT_GROUP_ICON, CollectId, reinterpret_cast<LONG_PTR>(&ids));
    EXPECT_EQ(ids, (std::vector<int>{IDI_PROGRAM, IDI_TITLE_WINDOW, IDI_DIALOG}));
    for (int id : ids) {
        for (int size : {16, 32, 48, 256}) {
            const HANDLE icon =
                LoadImageA(module_, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0);
            EXPECT_NE(icon, nullptr) << "icon " << id << " at " << size;
            if (icon != nullptr) {
                DestroyIcon(static_cast<HICON>(icon));
            }
        }
    }
}

TEST_F(ResourcesTest, ManifestAsksForAdministratorSystemDpiAndCommonControlsSix) {
    const HRSRC found = FindResourceA(module_, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const auto* data = static_cast<const char*>(LockResource(LoadResource(module_, found)));
    const std::string manifest(data, SizeofResource(module_, found));
    for (const char* part : {"level=\"requireAdministrator\"",
                             "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/"
                             "WindowsSettings\">true</dpiAware>",
                             "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
}

}  // namespace
