#pragma once

// The registry as a Wine prefix keeps it: HKEY_LOCAL_MACHINE in the text file system.reg, the
// user's HKEY_CURRENT_USER in user.reg, both owned and rewritten by the Wine server. We only ever
// read it, and only the keys asked for: the file is streamed line by line and the reading stops as
// soon as those keys are known, so a prefix of tens of megabytes costs one pass at most per level
// of symbolic link on the way.
//
// Broken input is read the way Wine's own loader reads it: a line it cannot make sense of is
// skipped, a file without the registry header holds nothing.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_types.h"

namespace vantrel {

struct RegistryValue {
    std::u16string Name;     // as written; empty for the key's default value
    DWORD Type = 0;          // REG_SZ, REG_DWORD, ... as stored
    std::vector<BYTE> Data;  // as Windows stores it: text types in UTF-16LE with their zero(s)
};

struct RegistryKey {
    std::u16string Path;  // where the key was found, after following symbolic links; upper case
    std::vector<RegistryValue> Values;

    // The value of that name, compared without regard to case; nullptr when there is none.
    const RegistryValue* FindValue(std::u16string_view name) const;
};

// The longest line of the file we hold in memory, and the most data one value may carry.
// Longer lines are skipped as broken; their values count as absent.
constexpr std::size_t kMaxRegistryLineLength = std::size_t{4} << 20;

// Reads keys of HKEY_LOCAL_MACHINE from `systemReg`, every key path relative to the root and
// separated by "\" (empty components are ignored). One result per path, in the same order:
// nullopt for a key that does not exist; the root always exists. A key exists when its own
// section or a section of one of its subkeys is in the file.
std::vector<std::optional<RegistryKey>> ReadMachineKeys(const std::filesystem::path& systemReg,
                                                        const std::vector<std::u16string>& paths);

// The same from the system.reg of the prefix in use.
std::vector<std::optional<RegistryKey>> ReadMachineKeys(const std::vector<std::u16string>& paths);

// Keys of HKEY_CURRENT_USER from the user.reg of the prefix in use, in the same way.
std::vector<std::optional<RegistryKey>> ReadUserKeys(const std::vector<std::u16string>& paths);

// The text of a REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ value up to its first zero, in UTF-8;
// nullopt for values of other types.
std::optional<std::string> ValueText(const RegistryValue& value);

}  // namespace vantrel
