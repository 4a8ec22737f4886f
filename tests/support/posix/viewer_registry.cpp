// The registration as Wine saves it in the prefix's system.reg, which the POSIX layer reads.

#include "support/viewer_registry.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "shared/utf16.h"
#include "support/posix/temp_prefix.h"

namespace vantrel::test {
namespace {

// A string as Wine writes it: "\" and quotes escaped, everything beyond ASCII as "\x" and the
// UTF-16 code unit.
std::string WineString(const std::string& text) {
    std::string out;
    for (const char16_t unit : Utf8ToUtf16(text)) {
        if (unit == u'\\' || unit == u'"') {
            out += '\\';
            out += static_cast<char>(unit);
        } else if (unit == 0) {
            out += "\\0";
        } else if (unit >= 0x20 && unit < 0x7F) {
            out += static_cast<char>(unit);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%04x", static_cast<unsigned>(unit));
            out += escape;
        }
    }
    return out;
}

std::string HexBytes(const std::string& bytes) {
    std::string out;
    for (const char byte : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(byte));
        out += (out.empty() ? "" : ",") + std::string(hex);
    }
    return out;
}

}  // namespace

std::string SystemRegLine(const RegistryValue& value) {
    const std::string name = value.Name.empty() ? "@" : "\"" + WineString(value.Name) + "\"";
    switch (value.Type) {
        case kRegString:
            return name + "=\"" + WineString(value.Data) + "\"\n";
        case kRegExpandString:
        case kRegMultiString:
            return name + "=str(" + std::to_string(value.Type) + "):\"" + WineString(value.Data) +
                   "\"\n";
        case kRegDword:
            if (value.Data.size() == 4) {
                char dword[16];
                std::snprintf(dword, sizeof dword, "%02x%02x%02x%02x",
                              static_cast<unsigned char>(value.Data[3]),
                              static_cast<unsigned char>(value.Data[2]),
                              static_cast<unsigned char>(value.Data[1]),
                              static_cast<unsigned char>(value.Data[0]));
                return name + "=dword:" + dword + "\n";
            }
            break;
        default:
            break;
    }
    const std::string type =
        value.Type == kRegBinary ? "hex" : "hex(" + std::to_string(value.Type) + ")";
    return name + "=" + type + ":" + HexBytes(value.Data) + "\n";
}

namespace {

std::filesystem::path Prefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix == nullptr) {
        throw std::logic_error("a ViewerRegistry needs a ScratchFolder's prefix");
    }
    return prefix;
}

}  // namespace

// The environment a Windows process has, on POSIX: the host's variables that name Windows
// folders would come before the prefix's registry.
struct ViewerRegistry::State {
    std::vector<std::unique_ptr<ScopedEnv>> unset;
    State() {
        for (const char* name :
             {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "CommonProgramFiles",
              "CommonProgramFiles(x86)", "CommonProgramW6432", "SystemRoot", "windir", "ComSpec",
              "ProgramData", "ALLUSERSPROFILE", "PUBLIC", "USERPROFILE", "APPDATA",
              "LOCALAPPDATA"}) {
            unset.push_back(std::make_unique<ScopedEnv>(name, std::nullopt));
        }
    }
};

std::string UserProfileFolder() {
    return "C:\\users\\tester";
}

ViewerRegistry::ViewerRegistry() : state_(std::make_unique<State>()) {
    Unregister();
}

ViewerRegistry::~ViewerRegistry() = default;

void ViewerRegistry::Register(const std::vector<RegistryValue>& values) {
    std::string lines;
    for (const auto& value : values) {
        lines += SystemRegLine(value);
    }
    WriteRegistry(Prefix(), SystemRegWithViewer(lines));
}

void ViewerRegistry::Unregister() {
    WriteRegistry(Prefix(), SystemRegText());
}

bool ViewerRegistry::KeyExists() const {
    return ReadFile(Prefix() / "system.reg") != SystemRegText();
}

}  // namespace vantrel::test
