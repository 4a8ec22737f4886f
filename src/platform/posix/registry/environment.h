#pragma once

// The environment a 64-bit Windows program started in the prefix would see, for expanding
// REG_EXPAND_SZ data: the process's own variables first, then those Wine builds for every process
// from the prefix's registry.

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
// (an exact match first). The host's PATH, PWD, HOME, TEMP, TMP, XDG_SESSION_TYPE and QT_* and
// VK_* variables are not among them: Wine never hands those to a Windows program.
std::optional<std::string> ProcessVariable(std::string_view name);

using Variables = std::vector<std::pair<std::string, std::string>>;

// The variables Wine gives every 64-bit process of the prefix, built the way Wine builds them,
// each step replacing what an earlier one set under the same name:
//  1. SystemDrive "C:" and SystemRoot "C:\windows", which Wine sets whatever the prefix holds;
//  2. every value of "System\CurrentControlSet\Control\Session Manager\Environment" of
//     HKEY_LOCAL_MACHINE (system.reg), then of HKEY_CURRENT_USER\Environment and
//     HKEY_CURRENT_USER\Volatile Environment (user.reg: TEMP, USERPROFILE, APPDATA,
//     LOCALAPPDATA ...);
//  3. ALLUSERSPROFILE and ProgramData from "ProgramData", PUBLIC from "Public", of
//     "Software\Microsoft\Windows NT\CurrentVersion\ProfileList";
//  4. from "Software\Microsoft\Windows\CurrentVersion": ProgramFiles(x86) from
//     "ProgramFilesDir (x86)", ProgramFiles and (in a prefix that has the former)
//     ProgramW6432 from "ProgramFilesDir"; CommonProgramFiles(x86), CommonProgramFiles and
//     CommonProgramW6432 from "CommonFilesDir (x86)" and "CommonFilesDir" alike.
// A REG_EXPAND_SZ value is expanded against the process's environment and the variables set
// before it; references left after that stay as written. Values with no text are passed by, as
// are values of other types. A variable the prefix does not define is not there.
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
