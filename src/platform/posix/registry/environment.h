#pragma once

// The environment a Windows program of the prefix would see, for expanding REG_EXPAND_SZ data:
// the process's own variables first, then those every Windows process gets from
// HKEY_LOCAL_MACHINE.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel {

using VariableLookup = std::function<std::optional<std::string>(std::string_view name)>;

// Replaces each %NAME% whose NAME `lookup` knows by its value, once, as ExpandEnvironmentStrings
// does: an unknown %NAME% stays as written and the scan goes on after its closing "%"; a "%"
// without a partner stays too.
std::string ExpandEnvironmentReferences(std::string_view text, const VariableLookup& lookup);

// The variable of the process's environment with that name, compared without regard to case
// (an exact match first).
std::optional<std::string> ProcessVariable(std::string_view name);

using Variables = std::vector<std::pair<std::string, std::string>>;

// The variables HKEY_LOCAL_MACHINE of the prefix gives every process: ProgramFiles
// ("ProgramFilesDir") and CommonProgramFiles ("CommonFilesDir") of
// "Software\Microsoft\Windows\CurrentVersion", SystemRoot and windir ("SystemRoot") of
// "Software\Microsoft\Windows NT\CurrentVersion", then every string value of
// "System\CurrentControlSet\Control\Session Manager\Environment" not named yet. Values that are
// themselves REG_EXPAND_SZ are expanded one level, against the process's environment and the
// unexpanded registry variables; references left after that stay as written.
Variables RegistryVariables();

// The process's environment backed by the registry's variables, which are read from the prefix
// only when a name is not in the process's environment.
class WindowsEnvironment {
  public:
    std::optional<std::string> Find(std::string_view name);
    std::string Expand(std::string_view text);

  private:
    std::optional<Variables> registry_;
};

}  // namespace vantrel
