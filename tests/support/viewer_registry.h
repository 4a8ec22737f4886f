#pragma once

// The viewer's application-path registration, written the way a setup program leaves it, into
// the registry the program under test reads: the Wine prefix's system.reg on POSIX, the system's
// registry on Windows (under Wine, whose prefix is made for the test run).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::test {

// The types of registry values the tests write, numbered as Windows numbers them.
inline constexpr std::uint32_t kRegString = 1;        // REG_SZ
inline constexpr std::uint32_t kRegExpandString = 2;  // REG_EXPAND_SZ
inline constexpr std::uint32_t kRegBinary = 3;        // REG_BINARY
inline constexpr std::uint32_t kRegDword = 4;         // REG_DWORD
inline constexpr std::uint32_t kRegMultiString = 7;   // REG_MULTI_SZ

// One value of the viewer's key.
struct RegistryValue {
    std::string Name;    // "" for the key's default value
    std::uint32_t Type;  // one of the above, or any other number
    // REG_SZ and REG_EXPAND_SZ: the text (UTF-8), stored as Unicode with its terminating zero.
    // REG_MULTI_SZ: the texts, each followed by "\0", stored as Unicode with one more zero.
    // Any other type: the bytes as they are stored.
    std::string Data;
};

// The default value naming the viewer's executable as a plain string.
RegistryValue ViewerPath(const std::string& path);

// The user's profile folder, which USERPROFILE names, as Wine makes it: "C:\users\" and the
// user's name (the one of the prefix's user.reg on POSIX).
std::string UserProfileFolder();

// The registry as the test wants it, for as long as it lives: at first the viewer is not
// registered. Afterwards the viewer's key is gone again. On Windows tests in other processes
// that use a ViewerRegistry wait until this one ends, since they share one registry.
class ViewerRegistry {
  public:
    ViewerRegistry();
    ~ViewerRegistry();
    ViewerRegistry(const ViewerRegistry&) = delete;
    ViewerRegistry& operator=(const ViewerRegistry&) = delete;

    // The viewer's key with exactly these values (none: the key alone).
    void Register(const std::vector<RegistryValue>& values);
    // No key of the viewer.
    void Unregister();
    // Whether the viewer's key exists, in the registry's 64-bit view.
    bool KeyExists() const;

    struct State;

  private:
    std::unique_ptr<State> state_;
};

}  // namespace vantrel::test
