#include "platform/posix/registry/environment.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "platform/ansi.h"
#include "platform/kernel.h"
#include "platform/posix/registry/reg_file.h"
#include "platform/posix/registry/reg_text.h"
#include "platform/registry.h"
#include "shared/utf16.h"

extern char** environ;

namespace vantrel {
namespace {

bool SameName(std::string_view a, std::string_view b) {
    return FoldCase(Utf8ToUtf16(a)) == FoldCase(Utf8ToUtf16(b));
}

std::optional<std::string> FindVariable(const Variables& variables, std::string_view name) {
    const auto it = std::find_if(variables.begin(), variables.end(), [&](const auto& variable) {
        return SameName(variable.first, name);
    });
    return it == variables.end() ? std::nullopt : std::optional(it->second);
}

// Host variables Wine drops, or renames with "WINE" in front, on their way to a Windows program.
bool HiddenFromWindowsPrograms(std::string_view entry) {
    constexpr std::string_view kHidden[] = {
        "PATH=", "PWD=", "HOME=", "TEMP=", "TMP=", "QT_", "VK_", "XDG_SESSION_TYPE="};
    return std::any_of(std::begin(kHidden), std::end(kHidden),
                       [&](std::string_view hidden) { return entry.starts_with(hidden); });
}

// The keys the variables come from.
enum MachineKey : std::size_t { kSessionKey, kProfileListKey, kVersionKey };
enum UserKey : std::size_t { kUserEnvironmentKey, kVolatileKey };

const std::vector<std::u16string> kMachineKeyPaths{
    u"System\\CurrentControlSet\\Control\\Session Manager\\Environment",
    u"Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
    u"Software\\Microsoft\\Windows\\CurrentVersion",
};
const std::vector<std::u16string> kUserKeyPaths{u"Environment", u"Volatile Environment"};

// The variables as Wine sets them one after the other: a later one of the same name replaces the
// earlier, and an expandable value sees every variable set before it.
class VariableBuilder {
  public:
    void Set(std::string_view name, std::string value) {
        std::erase_if(variables_,
                      [&](const auto& variable) { return SameName(variable.first, name); });
        variables_.emplace_back(name, std::move(value));
    }

    // Every value of the key, under its own name, in the order of the names: the Wine server
    // keeps a key's values sorted so, and hands them out in that order.
    void SetAll(const std::optional<RegistryKey>& key) {
        if (!key) {
            return;
        }
        std::vector<const RegistryValue*> values;
        for (const auto& value : key->Values) {
            values.push_back(&value);
        }
        std::sort(values.begin(), values.end(), [](const auto* a, const auto* b) {
            return FoldCase(a->Name) < FoldCase(b->Name);
        });
        for (const RegistryValue* value : values) {
            if (auto text = TextOf(value); text && !value->Name.empty()) {
                Set(Utf16ToUtf8(value->Name), std::move(*text));
            }
        }
    }

    // The key's value `valueName` under each of `names`; false when it has none.
    bool SetFrom(const std::optional<RegistryKey>& key, std::u16string_view valueName,
                 std::initializer_list<std::string_view> names) {
        const auto text = key ? TextOf(key->FindValue(valueName)) : std::nullopt;
        if (!text) {
            return false;
        }
        for (const auto name : names) {
            Set(name, *text);
        }
        return true;
    }

    Variables Take() { return std::move(variables_); }

  private:
    std::optional<std::string> TextOf(const RegistryValue* value) const {
        auto text = value != nullptr ? ValueText(*value) : std::nullopt;
        if (!text || text->empty()) {
            return std::nullopt;
        }
        if (value->Type != REG_EXPAND_SZ) {
            return text;
        }
        return ExpandEnvironmentReferences(*text, [this](std::string_view name) {
            auto found = ProcessVariable(name);
            return found ? found : FindVariable(variables_, name);
        });
    }

    Variables variables_;
};

// The folders of programs, as a 64-bit process gets them: the 64-bit folder under the plain name
// and, where the prefix also has a 32-bit one, under the W6432 name too.
struct ProgramFolder {
    std::u16string_view Value;  // its 32-bit counterpart has " (x86)" at the end
    std::string_view Name;
    std::string_view Name32;
    std::string_view Name64;
};
constexpr ProgramFolder kProgramFolders[] = {
    {u"ProgramFilesDir", "ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"},
    {u"CommonFilesDir", "CommonProgramFiles", "CommonProgramFiles(x86)", "CommonProgramW6432"},
};

void SetProgramFolders(VariableBuilder& builder, const std::optional<RegistryKey>& version) {
    for (const auto& folder : kProgramFolders) {
        if (builder.SetFrom(version, std::u16string(folder.Value) + u" (x86)", {folder.Name32})) {
            builder.SetFrom(version, folder.Value, {folder.Name, folder.Name64});
        } else {
            builder.SetFrom(version, folder.Value, {folder.Name});
        }
    }
}

}  // namespace

std::string ExpandEnvironmentReferences(std::string_view text, const VariableLookup& lookup) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto open = text.find('%', pos);
        const auto close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) {
            out.append(text.substr(pos));
            break;
        }
        out.append(text.substr(pos, open - pos));
        const auto name = text.substr(open + 1, close - open - 1);
        const auto value = name.empty() ? std::nullopt : lookup(name);
        out.append(value ? std::string_view(*value) : text.substr(open, close - open + 1));
        pos = close + 1;
    }
    return out;
}

std::optional<std::string> ProcessVariable(std::string_view name) {
    std::optional<std::string> caseless;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view variable(*entry);
        const auto equals = variable.find('=');
        if (equals == std::string_view::npos || HiddenFromWindowsPrograms(variable)) {
            continue;
        }
        if (variable.substr(0, equals) == name) {
            return std::string(variable.substr(equals + 1));
        }
        if (!caseless && SameName(variable.substr(0, equals), name)) {
            caseless = std::string(variable.substr(equals + 1));
        }
    }
    return caseless;
}

Variables RegistryVariables() {
    const auto machine = ReadMachineKeys(kMachineKeyPaths);
    const auto user = ReadUserKeys(kUserKeyPaths);
    VariableBuilder builder;
    builder.Set("SystemDrive", "C:");
    builder.Set("SystemRoot", "C:\\windows");
    builder.SetAll(machine[kSessionKey]);
    builder.SetAll(user[kUserEnvironmentKey]);
    builder.SetAll(user[kVolatileKey]);
    builder.SetFrom(machine[kProfileListKey], u"ProgramData", {"ALLUSERSPROFILE", "ProgramData"});
    builder.SetFrom(machine[kProfileListKey], u"Public", {"PUBLIC"});
    SetProgramFolders(builder, machine[kVersionKey]);
    return builder.Take();
}

std::optional<std::string> WindowsEnvironment::Find(std::string_view name) {
    if (auto value = ProcessVariable(name)) {
        return value;
    }
    if (!registry_) {
        registry_ = RegistryVariables();
    }
    return FindVariable(*registry_, name);
}

std::string WindowsEnvironment::Expand(std::string_view text) {
    return ExpandEnvironmentReferences(text, [this](std::string_view name) { return Find(name); });
}

DWORD ExpandEnvironmentStringsA(LPCSTR lpSrc, LPSTR lpDst, DWORD nSize) {
    if (lpSrc == nullptr || (lpDst == nullptr && nSize != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string expanded = ToAnsi(WindowsEnvironment().Expand(FromAnsi(lpSrc)));
    const auto needed = static_cast<DWORD>(expanded.size() + 1);
    if (nSize >= needed) {
        std::memcpy(lpDst, expanded.c_str(), needed);
    }
    return needed;
}

}  // namespace vantrel
