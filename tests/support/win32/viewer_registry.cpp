// The registration in the system's registry. The tests run under Wine in a prefix made for the
// test run (tests/win32/run-under-wine.sh marks it); the registry of any other is left alone.

#include "support/viewer_registry.h"

#include <windows.h>

#include <stdexcept>

#include "platform/win32/text/ansi_text.h"
#include "support/win32/wine.h"

namespace vantrel::test {
namespace {

constexpr const wchar_t* kViewerKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\ZORVIKViewer.EXE";

void RequireTestPrefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    const auto marker =
        prefix ? WindowsPathOfHostPath(std::string(prefix) + "/.vantrel-ready") : std::nullopt;
    if (!marker || GetFileAttributesW(marker->c_str()) == INVALID_FILE_ATTRIBUTES) {
        throw std::runtime_error(
            "the registry is written only in a Wine prefix made by run-under-wine.sh");
    }
}

std::vector<BYTE> StoredData(const RegistryValue& value) {
    std::wstring text;
    switch (value.Type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
        case REG_MULTI_SZ:
            text = win32::WideFrom(value.Data, CP_UTF8);
            text.push_back(L'\0');
            break;
        default:
            return std::vector<BYTE>(value.Data.begin(), value.Data.end());
    }
    const auto* bytes = reinterpret_cast<const BYTE*>(text.data());
    return std::vector<BYTE>(bytes, bytes + text.size() * sizeof(wchar_t));
}

void DeleteViewerKey(REGSAM view) {
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kViewerKey, view, 0);
}

}  // namespace

// Test processes run side by side and share the registry: one named mutex lets one of them at a
// time have the viewer's key.
struct ViewerRegistry::State {
    State() : lock(CreateMutexW(nullptr, FALSE, L"vantrel-test-viewer-registry")) {
        if (lock == nullptr || WaitForSingleObject(lock, INFINITE) == WAIT_FAILED) {
            throw std::runtime_error("cannot take the registry for the test");
        }
    }
    ~State() {
        ReleaseMutex(lock);
        CloseHandle(lock);
    }
    HANDLE lock;
};

std::string UserProfileFolder() {
    char name[256];
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? std::string("C:\\users\\") + name : std::string();
}

ViewerRegistry::ViewerRegistry() {
    RequireTestPrefix();
    state_ = std::make_unique<State>();
    Unregister();
}

ViewerRegistry::~ViewerRegistry() {
    Unregister();
}

void ViewerRegistry::Register(const std::vector<RegistryValue>& values) {
    Unregister();
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kViewerKey, 0, nullptr, 0,
                        KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create the viewer's key");
    }
    for (const auto& value : values) {
        const auto data = StoredData(value);
        const std::wstring name = win32::WideFrom(value.Name, CP_UTF8);
        const LSTATUS status = RegSetValueExW(key, name.c_str(), 0, value.Type, data.data(),
                                              static_cast<DWORD>(data.size()));
        if (status != ERROR_SUCCESS) {
            RegCloseKey(key);
            throw std::runtime_error("cannot set the value " + value.Name);
        }
    }
    RegCloseKey(key);
}

// A 32-bit setup writes the key in the registry's 32-bit view; both go.
void ViewerRegistry::Unregister() {
    DeleteViewerKey(KEY_WOW64_64KEY);
    DeleteViewerKey(KEY_WOW64_32KEY);
}

bool ViewerRegistry::KeyExists() const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kViewerKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

}  // namespace vantrel::test
