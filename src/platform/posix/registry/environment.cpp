#include "platform/posix/registry/environment.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/kernel.h"
#include "platform/posix/registry/reg_file.h"
#include "platform/posix/registry/reg_text.h"
#include "platform/registry.h"
#include "shared/ansi.h"
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

struct RawVariable {
    std::string Name;
    std::string Value;
    bool Expandable = false;
};

void AddVariable(std::vector<RawVariable>& variables, std::string name,
                 const RegistryValue* value) {
    if (value == nullptr || name.empty()) {
        return;
    }
    const auto text = ValueText(*value);
    const bool known = std::any_of(variables.begin(), variables.end(),
                                   [&](const RawVariable& v) { return SameName(v.Name, name); });
    if (text && !known) {
        variables.push_back({std::move(name), *text, value->Type == REG_EXPAND_SZ});
    }
}

// The keys the variables come from, in the order they are read.
enum SourceKey : std::size_t { kVersionKey, kNtVersionKey, kEnvironmentKey };

const std::vector<std::u16string> kSourceKeyPaths{
    u"Software\\Microsoft\\Windows\\CurrentVersion",
    u"Software\\Microsoft\\Windows NT\\CurrentVersion",
    u"System\\CurrentControlSet\\Control\\Session Manager\\Environment",
};

struct NamedSource {
    SourceKey Key;
    std::u16string_view ValueName;
    std::string_view Variable;
};

constexpr std::array<NamedSource, 4> kNamedSources{{
    {kVersionKey, u"ProgramFilesDir", "ProgramFiles"},
    {kVersionKey, u"CommonFilesDir", "CommonProgramFiles"},
    {kNtVersionKey, u"SystemRoot", "SystemRoot"},
    {kNtVersionKey, u"SystemRoot", "windir"},
}};

std::vector<RawVariable> ReadRawVariables() {
    const auto keys = ReadMachineKeys(kSourceKeyPaths);
    std::vector<RawVariable> variables;
    for (const auto& source : kNamedSources) {
        if (const auto& key = keys[source.Key]) {
            AddVariable(variables, std::string(source.Variable), key->FindValue(source.ValueName));
        }
    }
    if (const auto& environment = keys[kEnvironmentKey]) {
        for (const auto& value : environment->Values) {
            AddVariable(variables, Utf16ToUtf8(value.Name), &value);
        }
    }
    return variables;
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
        if (equals == std::string_view::npos) {
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
    const std::vector<RawVariable> raw = ReadRawVariables();
    Variables unexpanded;
    for (const auto& variable : raw) {
        unexpanded.emplace_back(variable.Name, variable.Value);
    }
    const VariableLookup lookup = [&](std::string_view name) {
        auto value = ProcessVariable(name);
        return value ? value : FindVariable(unexpanded, name);
    };
    Variables variables;
    for (const auto& variable : raw) {
        variables.emplace_back(
            variable.Name, variable.Expandable ? ExpandEnvironmentReferences(variable.Value, lookup)
                                               : variable.Value);
    }
    return variables;
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
