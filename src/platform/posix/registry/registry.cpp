#include "platform/registry.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/ansi.h"
#include "platform/posix/registry/reg_file.h"
#include "shared/utf16.h"

namespace vantrel {
namespace {

// Every right that would let the caller change a key or its security.
constexpr DWORD kChangingRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE |
                                  WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
constexpr DWORD kQueryRights = KEY_QUERY_VALUE | GENERIC_READ | MAXIMUM_ALLOWED;

struct OpenKey {
    RegistryKey Key;
    bool MayQuery = false;
};

// Handles are numbers that are never reused, so a stale or made-up handle is recognised as such
// instead of reaching another key.
class HandleTable {
  public:
    HKEY Add(OpenKey key) {
        std::lock_guard lock(mutex_);
        nextHandle_ += 4;
        const HKEY handle = reinterpret_cast<HKEY>(nextHandle_);
        keys_.emplace(handle, std::move(key));
        return handle;
    }

    std::optional<OpenKey> Find(HKEY handle) const {
        std::lock_guard lock(mutex_);
        const auto it = keys_.find(handle);
        return it == keys_.end() ? std::nullopt : std::optional<OpenKey>(it->second);
    }

    bool Remove(HKEY handle) {
        std::lock_guard lock(mutex_);
        return keys_.erase(handle) == 1;
    }

  private:
    mutable std::mutex mutex_;
    std::uintptr_t nextHandle_ = 0x100;
    std::map<HKEY, OpenKey> keys_;
};

HandleTable& Handles() {
    static HandleTable table;
    return table;
}

std::optional<RegistryKey> ReadKey(const std::u16string& path) {
    return ReadMachineKeys({path}).front();
}

// The key a handle stands for; HKEY_LOCAL_MACHINE is read when it is used.
std::optional<OpenKey> KeyOfHandle(HKEY handle) {
    if (handle == HKEY_LOCAL_MACHINE) {
        return OpenKey{ReadKey(u"").value_or(RegistryKey{}), true};
    }
    return Handles().Find(handle);
}

std::optional<std::u16string> PathOfHandle(HKEY handle) {
    if (handle == HKEY_LOCAL_MACHINE) {
        return std::u16string();
    }
    const auto key = Handles().Find(handle);
    return key ? std::optional(key->Key.Path) : std::nullopt;
}

// Text types reach an ANSI caller converted, zeros included; an odd last byte is dropped.
std::string DataForAnsiCaller(const RegistryValue& value) {
    if (value.Type != REG_SZ && value.Type != REG_EXPAND_SZ && value.Type != REG_MULTI_SZ) {
        return std::string(value.Data.begin(), value.Data.end());
    }
    return ToAnsi(Utf16ToUtf8(FromUtf16Le(value.Data)));
}

// Opens the existing key `lpSubKey` below `hKey`; `ifMissing` is the answer when there is none.
LSTATUS OpenExisting(HKEY hKey, LPCSTR lpSubKey, REGSAM samDesired, PHKEY phkResult,
                     LSTATUS ifMissing) {
    *phkResult = nullptr;
    const std::string subKey = lpSubKey != nullptr ? FromAnsi(lpSubKey) : std::string();
    if (subKey.starts_with('\\')) {
        return ERROR_BAD_PATHNAME;
    }
    const auto parentPath = PathOfHandle(hKey);
    if (!parentPath) {
        return ERROR_INVALID_HANDLE;
    }
    if ((samDesired & kChangingRights) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    auto key = ReadKey(*parentPath + u'\\' + Utf8ToUtf16(subKey));
    if (!key) {
        return ifMissing;
    }
    *phkResult = Handles().Add(OpenKey{std::move(*key), (samDesired & kQueryRights) != 0});
    return ERROR_SUCCESS;
}

}  // namespace

LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR /*lpClass*/,
                        DWORD /*dwOptions*/, REGSAM samDesired,
                        SECURITY_ATTRIBUTES* /*lpSecurityAttributes*/, PHKEY phkResult,
                        LPDWORD lpdwDisposition) {
    if (phkResult == nullptr || Reserved != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    // A missing key would have to be created, which this read-only registry never does.
    const LSTATUS result = OpenExisting(hKey, lpSubKey, samDesired, phkResult, ERROR_ACCESS_DENIED);
    if (result == ERROR_SUCCESS && lpdwDisposition != nullptr) {
        *lpdwDisposition = REG_OPENED_EXISTING_KEY;
    }
    return result;
}

LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                      PHKEY phkResult) {
    if (phkResult == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return OpenExisting(hKey, lpSubKey, samDesired, phkResult, ERROR_FILE_NOT_FOUND);
}

LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                         LPBYTE lpData, LPDWORD lpcbData) {
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    const auto key = KeyOfHandle(hKey);
    if (!key) {
        return ERROR_INVALID_HANDLE;
    }
    if (!key->MayQuery) {
        return ERROR_ACCESS_DENIED;
    }
    const std::string name = lpValueName != nullptr ? FromAnsi(lpValueName) : std::string();
    const RegistryValue* value = key->Key.FindValue(Utf8ToUtf16(name));
    if (value == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    const std::string data = DataForAnsiCaller(*value);
    const auto size = static_cast<DWORD>(data.size());
    if (lpType != nullptr) {
        *lpType = value->Type;
    }
    if (lpData != nullptr && *lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    if (lpData != nullptr) {
        std::memcpy(lpData, data.data(), data.size());
    }
    if (lpcbData != nullptr) {
        *lpcbData = size;
    }
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY hKey) {
    if (hKey == HKEY_LOCAL_MACHINE) {
        return ERROR_SUCCESS;
    }
    return Handles().Remove(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // namespace vantrel
