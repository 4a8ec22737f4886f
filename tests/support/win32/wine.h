#pragma once

// The Windows tests run under Wine, on the host's files: Wine's own exports map between the
// host's paths and Windows paths.

#include <optional>
#include <string>

namespace vantrel::test {

// The Windows path of the host's `unixPath`; nullopt when not under Wine.
std::optional<std::wstring> WindowsPathOfHostPath(const std::string& unixPath);

// The host's path of `windowsPath`; nullopt when not under Wine.
std::optional<std::string> HostPathOfWindowsPath(const std::wstring& windowsPath);

}  // namespace vantrel::test
