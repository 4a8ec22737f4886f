// Vantrel.exe's identity as Windows reads it from the built program: the version record, the
// three icons and the manifest; the shipped programs' headers; a signed copy's signature.
// Windows only: these are resources and headers of the Windows executables.

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they need.
#include <softpub.h>
#include <wintrust.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32/text/ansi_text.h"
#include "support/host_program.h"
#include "support/scratch_folder.h"
#include "windows/resource_ids.h"

namespace {

using vantrel::test::RunHostProgram;

// The shipped programs lie beside the test programs in the build's bin folder.
std::wstring BuiltProgram(const wchar_t* name) {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    return path.substr(0, path.rfind(L'\\') + 1) + name;
}

std::wstring VantrelExe() {
    return BuiltProgram(L"Vantrel.exe");
}

std::vector<BYTE> VersionRecord(const std::wstring& exe = VantrelExe()) {
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
                         ::testing::Values(VersionString{L"FileDescription",
                                                         "Vantrel reference image installer"},
                                           VersionString{L"FileVersion", "1.00"},
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

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
    reinterpret_cast<std::vector<WORD>*>(languages)->push_back(language);
    return TRUE;
}

TEST_F(ResourcesTest, TheVersionRecordIsStoredAsJapanese) {
    std::vector<WORD> languages;
    EnumResourceLanguagesW(module_, MAKEINTRESOURCEW(16), MAKEINTRESOURCEW(VS_VERSION_INFO),
                           CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages, std::vector<WORD>{0x0411});
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

// ---- The shipped programs' headers

// What a program's file says of itself in its headers.
struct Headers {
    DWORD TimeStamp = 0;
    bool Symbols = false;
    std::vector<std::string> Sections;
    std::string DebugLink;  // the file the .gnu_debuglink section names
    WORD DependentLoadFlags = 0;
};

template <typename Part>
Part At(const std::vector<char>& file, std::size_t offset) {
    Part part{};
    if (offset + sizeof part <= file.size()) {
        std::memcpy(&part, file.data() + offset, sizeof part);
    }
    return part;
}

Headers ReadHeaders(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    const std::vector<char> file{std::istreambuf_iterator<char>(in), {}};
    const auto nt = static_cast<std::size_t>(At<IMAGE_DOS_HEADER>(file, 0).e_lfanew);
    const auto image = At<IMAGE_NT_HEADERS64>(file, nt);
    const IMAGE_FILE_HEADER& header = image.FileHeader;
    // Names longer than eight characters ("/4") are kept in the string table after the symbols.
    const std::size_t strings = header.PointerToSymbolTable + header.NumberOfSymbols * 18;
    Headers read{header.TimeDateStamp, header.NumberOfSymbols > 0, {}, {}, 0};
    const auto loadConfig = image.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG];
    std::size_t section =
        nt + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + header.SizeOfOptionalHeader;
    for (int i = 0; i < header.NumberOfSections; ++i, section += sizeof(IMAGE_SECTION_HEADER)) {
        const auto entry = At<IMAGE_SECTION_HEADER>(file, section);
        std::string name(reinterpret_cast<const char*>(entry.Name),
                         strnlen(reinterpret_cast<const char*>(entry.Name), 8));
        if (name.starts_with("/") && header.PointerToSymbolTable != 0) {
            name = file.data() + std::min(file.size() - 1, strings + std::stoul(name.substr(1)));
        }
        if (name == ".gnu_debuglink") {
            read.DebugLink =
                file.data() + std::min<std::size_t>(file.size() - 1, entry.PointerToRawData);
        }
        const DWORD rva = loadConfig.VirtualAddress;
        if (rva != 0 && rva >= entry.VirtualAddress &&
            rva < entry.VirtualAddress + entry.SizeOfRawData) {
            read.DependentLoadFlags = At<IMAGE_LOAD_CONFIG_DIRECTORY64>(
                                          file, entry.PointerToRawData + rva - entry.VirtualAddress)
                                          .Reserved1;
        }
        read.Sections.push_back(name);
    }
    return read;
}

class ShippedProgramTest : public ::testing::TestWithParam<const wchar_t*> {};

// Stripped, its debug information in a file beside it, no time of its own but the one the
// build was asked for, and DLLs its imports need taken from the system folder only.
TEST_P(ShippedProgramTest, IsStrippedTimelessAndLoadsDllsFromTheSystemFolder) {
    const Headers headers = ReadHeaders(BuiltProgram(GetParam()));
    ASSERT_FALSE(headers.Sections.empty());
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    EXPECT_EQ(headers.TimeStamp, epoch != nullptr ? std::strtoul(epoch, nullptr, 10) : 0);
    EXPECT_FALSE(headers.Symbols);
    for (const std::string& section : headers.Sections) {
        EXPECT_FALSE(section.starts_with(".debug")) << section;
    }
    EXPECT_EQ(headers.DebugLink, Utf8(GetParam()) + ".debug");
    EXPECT_EQ(headers.DependentLoadFlags, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

INSTANTIATE_TEST_SUITE_P(Programs, ShippedProgramTest,
                         ::testing::Values(L"Vantrel.exe", L"vantrel-cab.exe"),
                         [](const auto& info) {
                             std::string name = Utf8(info.param);
                             std::erase_if(name, [](char c) { return !std::isalnum(c); });
                             return name;
                         });

// ---- The signature

LONG TrustOf(const std::wstring& path) {
    WINTRUST_FILE_INFO file{};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = path.c_str();
    WINTRUST_DATA trust{};
    trust.cbStruct = sizeof trust;
    trust.dwUIChoice = WTD_UI_NONE;
    trust.fdwRevocationChecks = WTD_REVOKE_NONE;
    trust.dwUnionChoice = WTD_CHOICE_FILE;
    trust.pFile = &file;
    trust.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &trust);
    trust.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &trust);
    return result;
}

// A copy signed as the build script signs, with a throwaway certificate: osslsigncode accepts
// the signature, Windows finds it intact (and a changed byte breaks it), and the version record
// the elevation prompt shows is still there.
TEST(SignatureTest, ASignedCopyCarriesAnIntactSignatureAndItsDescription) {
    const vantrel::test::ScratchFolder scratch;
    const auto folder = scratch.Host("");
    const std::wstring copy = vantrel::win32::WideFrom(scratch.Windows("Vantrel.exe"), CP_UTF8);
    ASSERT_TRUE(CopyFileW(VantrelExe().c_str(), copy.c_str(), TRUE));
    std::ofstream(folder / "password", std::ios::binary) << "throwaway\n";
    ASSERT_EQ(
        RunHostProgram(VANTREL_OPENSSL,
                       {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj",
                        "/CN=Vantrel Test Publisher", "-keyout", "key.pem", "-out", "cert.pem"},
                       folder),
        0);
    ASSERT_EQ(RunHostProgram(VANTREL_OPENSSL,
                             {"pkcs12", "-export", "-inkey", "key.pem", "-in", "cert.pem", "-out",
                              "cert.p12", "-passout", "file:password"},
                             folder),
              0);
    EXPECT_EQ(TrustOf(copy), TRUST_E_NOSIGNATURE);

    ASSERT_EQ(RunHostProgram(VANTREL_SIGN_SCRIPT,
                             {"--pkcs12", "cert.p12", "--password-file", "password", "Vantrel.exe"},
                             folder),
              0);
    EXPECT_EQ(RunHostProgram(VANTREL_OSSLSIGNCODE,
                             {"verify", "-in", "Vantrel.exe", "-CAfile", "cert.pem"}, folder),
              0);
    // Windows stops at the throwaway publisher, whom it does not know; Wine takes it.
    const LONG trust = TrustOf(copy);
    EXPECT_TRUE(trust == CERT_E_UNTRUSTEDROOT || trust == ERROR_SUCCESS) << std::hex << trust;
    const std::wstring changed = copy + L".changed.exe";
    ASSERT_TRUE(CopyFileW(copy.c_str(), changed.c_str(), TRUE));
    std::fstream(std::filesystem::path(changed), std::ios::in | std::ios::out | std::ios::binary)
            .seekp(0x1000)
        << 'x';
    EXPECT_EQ(TrustOf(changed), TRUST_E_BAD_DIGEST);
    const std::vector<BYTE> record = VersionRecord(copy);
    void* value = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(record.data(), L"\\StringFileInfo\\041104B0\\FileDescription",
                               &value, &size));
    EXPECT_EQ(Utf8(static_cast<const wchar_t*>(value)), "Vantrel reference image installer");
}

}  // namespace
