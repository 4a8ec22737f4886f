#include "platform/posix/registry/reg_file.h"

#include <algorithm>
#include <unordered_map>

#include "platform/posix/files/drives.h"
#include "platform/posix/registry/reg_lines.h"
#include "platform/posix/registry/reg_syntax.h"
#include "platform/posix/registry/reg_text.h"
#include "platform/registry.h"
#include "shared/utf16.h"

namespace vantrel {
namespace {

using namespace wine_reg;

constexpr std::string_view kFileHeader = "WINE REGISTRY Version 2";
// Symbolic links followed for one key before it counts as missing (a loop).
constexpr int kMaxLinkDepth = 16;

std::u16string NormalizeKeyPath(std::u16string_view path) {
    std::u16string normal;
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find(u'\\', start), path.size());
        if (end > start) {
            if (!normal.empty()) {
                normal += u'\\';
            }
            normal.append(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return FoldCase(normal);
}

bool IsBelow(std::u16string_view path, std::u16string_view ancestor) {
    if (ancestor.empty()) {
        return !path.empty();
    }
    return path.size() > ancestor.size() && path.starts_with(ancestor) &&
           path[ancestor.size()] == u'\\';
}

// The keys the prefix's two files hold, as a link's target names them: system.reg holds
// HKEY_LOCAL_MACHINE, user.reg the key of the prefix's one user, whom Wine always gives this
// identifier.
constexpr std::u16string_view kMachineRoot = u"REGISTRY\\MACHINE";
constexpr std::u16string_view kUserRoot = u"REGISTRY\\USER\\S-1-5-21-0-0-0-1000";

// A link's target, "\Registry\Machine\..." for one, as a path below the file's `root`; nullopt
// for a target elsewhere (another file holds it).
std::optional<std::u16string> PathOfLink(const RegistryKey& link, std::u16string_view root) {
    const RegistryValue* value = link.FindValue(u"SymbolicLinkValue");
    if (value == nullptr || value->Type != REG_LINK) {
        return std::nullopt;
    }
    std::u16string target = FromUtf16Le(value->Data);
    target = NormalizeKeyPath(target.substr(0, target.find(u'\0')));
    if (target == root) {
        return std::u16string();
    }
    if (!IsBelow(target, root)) {
        return std::nullopt;
    }
    return target.substr(root.size() + 1);
}

// ---------------------------------------------------------------------------------------------
// One pass over the file

struct Lookup {
    std::u16string Path;  // normalized and upper case
    bool Done = false;    // nothing later in the file can change the answer
    bool Found = false;   // its own section was read
    bool HasSubkey = false;
    RegistryKey Key;
    // The first symbolic link on the way to the key (the key itself included): how much of the
    // path it covers and where it leads (nullopt: nowhere this file holds).
    std::optional<std::size_t> LinkLength;
    std::optional<std::u16string> LinkTarget;
};

enum class Role { Own, Ancestor };

// Builds a section's key path, normalized and upper case, while its name is being read, and
// says when the path can no longer concern any of the `candidates` (the paths of the pending
// lookups): sections of other keys, nearly all of them, are then dropped after a few characters.
class SectionPathBuilder {
  public:
    SectionPathBuilder(std::vector<const std::u16string*>& candidates, std::u16string& path)
        : candidates_(candidates), path_(path) {}

    bool operator()(char16_t unit) {
        if (unit == u'\\') {
            separatorPending_ = !path_.empty();
            return true;
        }
        if (separatorPending_) {
            Append(u'\\');
            separatorPending_ = false;
        }
        Append(FoldCase(unit));
        return !candidates_.empty();
    }

  private:
    // A candidate stays while one of the two paths is the other or lies below it.
    void Append(char16_t unit) {
        const std::size_t at = path_.size();
        path_ += unit;
        std::size_t kept = 0;
        for (const std::u16string* candidate : candidates_) {
            const bool stays = at < candidate->size()
                                   ? (*candidate)[at] == unit
                                   : at > candidate->size() || candidate->empty() || unit == u'\\';
            if (stays) {
                candidates_[kept++] = candidate;
            }
        }
        candidates_.resize(kept);
    }

    std::vector<const std::u16string*>& candidates_;
    std::u16string& path_;
    bool separatorPending_ = false;
};

// Follows the file section by section, keeping the values of the sections that matter to one of
// the lookups: their own keys, and the keys above them, which may be symbolic links.
class SectionScanner {
  public:
    SectionScanner(std::vector<Lookup>& lookups, std::u16string_view root)
        : lookups_(lookups), root_(root) {}

    bool AllDone() const {
        return std::all_of(lookups_.begin(), lookups_.end(),
                           [](const Lookup& l) { return l.Done; });
    }

    void Feed(const Line& line) {
        if (pendingHex_) {
            ContinueHexValue(line);
            return;
        }
        if (skippingContinuation_) {
            skippingContinuation_ = line.Last == '\\';
            return;
        }
        switch (line.First) {
            case '[':
                EndSection();
                if (!line.Overlong) {
                    BeginSection(TrimLeft(line.Text));
                }
                return;
            case '@':
            case '"':
                if (roles_.empty() || line.Overlong) {
                    // Only hex data continues a line; a line we do not parse is taken to
                    // continue when it ends the way continued hex data does.
                    skippingContinuation_ = line.Last == '\\';
                } else {
                    ReadValue(TrimLeft(line.Text));
                }
                return;
            case '#':
                if (!roles_.empty() && TrimLeft(line.Text).starts_with("#link")) {
                    isLink_ = true;
                }
                return;
            default:
                return;  // comments, blank lines and lines Wine would reject alike
        }
    }

    void Finish() {
        pendingHex_.reset();  // hex data cut off by the end of the file is dropped
        EndSection();
    }

  private:
    void BeginSection(std::string_view text) {
        candidates_.clear();
        for (const Lookup& lookup : lookups_) {
            if (!lookup.Done) {
                candidates_.push_back(&lookup.Path);
            }
        }
        std::u16string& path = section_.Path;
        if (!ParseString(text, 1, ']', SectionPathBuilder(candidates_, path))) {
            path.clear();
            return;  // of no concern, or a malformed key whose values belong to no key
        }
        for (std::size_t i = 0; i < lookups_.size(); ++i) {
            Lookup& lookup = lookups_[i];
            if (lookup.Done) {
                continue;
            }
            if (path == lookup.Path) {
                roles_.push_back({i, Role::Own});
            } else if (IsBelow(lookup.Path, path)) {
                roles_.push_back({i, Role::Ancestor});
            } else if (IsBelow(path, lookup.Path)) {
                lookup.HasSubkey = true;
            }
        }
    }

    void EndSection() {
        for (const auto& [index, role] : roles_) {
            Lookup& lookup = lookups_[index];
            if (isLink_ && !lookup.LinkLength) {
                lookup.LinkLength = section_.Path.size();
                lookup.LinkTarget = PathOfLink(section_, root_);
                lookup.Done = true;
            }
            if (role == Role::Own) {
                lookup.Found = true;
                lookup.Done = true;
                lookup.Key = section_;
            }
        }
        roles_.clear();
        section_.Path.clear();
        section_.Values.clear();
        valueIndex_.clear();
        isLink_ = false;
    }

    void ReadValue(std::string_view text) {
        RegistryValue value;
        std::optional<std::size_t> pos = 1;
        if (text.front() == '"') {
            pos = ParseString(text, 1, '"', value.Name);
        }
        if (!pos) {
            return;
        }
        pos = SkipBlanks(text, *pos);
        if (*pos >= text.size() || text[*pos] != '=') {
            return;
        }
        const auto data = ParseDataTag(text, SkipBlanks(text, *pos + 1));
        if (!data) {
            return;
        }
        value.Type = data->Type;
        switch (data->Form) {
            case DataForm::String: {
                std::u16string content;
                if (ParseString(text, data->Pos, '"', content)) {
                    AppendUtf16Le(value.Data, content);
                    AppendUtf16Le(value.Data, std::u16string_view(u"\0", 1));
                    Store(std::move(value));
                }
                return;
            }
            case DataForm::Dword: {
                const DWORD number = ParseDword(text.substr(data->Pos));
                for (int shift = 0; shift < 32; shift += 8) {
                    value.Data.push_back(static_cast<BYTE>(number >> shift));
                }
                Store(std::move(value));
                return;
            }
            case DataForm::Hex:
                pendingHex_ = std::move(value);
                ReadHexData(text, data->Pos);
                return;
        }
    }

    void ContinueHexValue(const Line& line) {
        if (line.Overlong) {
            pendingHex_.reset();
            skippingContinuation_ = line.Last == '\\';
            return;
        }
        ReadHexData(line.Text, SkipBlanks(line.Text, 0));
    }

    // Adds one line's worth of bytes to the pending hex value; the value is complete unless the
    // bytes are followed by "\".
    void ReadHexData(std::string_view text, std::size_t pos) {
        const auto end = ParseHexBytes(text, pos, pendingHex_->Data);
        if (!end) {
            pendingHex_.reset();
            return;
        }
        const auto next = SkipBlanks(text, *end);
        if (next < text.size() && text[next] == '\\') {
            return;
        }
        Store(std::move(*pendingHex_));
        pendingHex_.reset();
    }

    // A later value of the same name replaces the earlier one, as when Wine loads the file.
    void Store(RegistryValue value) {
        auto& values = section_.Values;
        const auto [slot, added] = valueIndex_.try_emplace(FoldCase(value.Name), values.size());
        if (added) {
            values.push_back(std::move(value));
        } else {
            values[slot->second] = std::move(value);
        }
    }

    struct SectionRole {
        std::size_t Lookup;
        Role Kind;
    };

    std::vector<Lookup>& lookups_;
    std::u16string_view root_;
    std::vector<const std::u16string*> candidates_;
    std::vector<SectionRole> roles_;  // empty: the current section matters to no lookup
    RegistryKey section_;
    std::unordered_map<std::u16string, std::size_t> valueIndex_;  // upper-case name to value
    bool isLink_ = false;
    std::optional<RegistryValue> pendingHex_;
    bool skippingContinuation_ = false;
};

// One pass; false when the file cannot be read or is no registry file, so that it holds nothing.
bool ScanFile(const std::filesystem::path& file, std::u16string_view root,
              std::vector<Lookup>& lookups) {
    LineReader reader(file);
    if (!reader.IsOpen()) {
        return false;
    }
    const auto header = reader.Next();
    if (!header || header->Overlong || header->Text != kFileHeader) {
        return false;
    }
    SectionScanner scanner(lookups, root);
    while (!scanner.AllDone()) {
        const auto line = reader.Next();
        if (!line) {
            break;
        }
        scanner.Feed(*line);
    }
    scanner.Finish();
    return true;
}

std::vector<std::optional<RegistryKey>> ReadKeys(const std::filesystem::path& file,
                                                 std::u16string_view root,
                                                 const std::vector<std::u16string>& paths) {
    std::vector<std::optional<RegistryKey>> results(paths.size());
    std::vector<std::u16string> current(paths.size());
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        current[i] = NormalizeKeyPath(paths[i]);
        pending.push_back(i);
    }
    for (int depth = 0; depth <= kMaxLinkDepth && !pending.empty(); ++depth) {
        std::vector<Lookup> lookups;
        for (const std::size_t i : pending) {
            lookups.emplace_back().Path = current[i];
        }
        const bool readable = ScanFile(file, root, lookups);
        std::vector<std::size_t> redirected;
        for (std::size_t n = 0; n < pending.size(); ++n) {
            const std::size_t i = pending[n];
            Lookup& lookup = lookups[n];
            if (readable && lookup.LinkLength) {
                if (lookup.LinkTarget) {
                    current[i] = NormalizeKeyPath(*lookup.LinkTarget + u'\\' +
                                                  current[i].substr(*lookup.LinkLength));
                    redirected.push_back(i);
                }
            } else if (lookup.Found) {
                results[i] = std::move(lookup.Key);
            } else if (lookup.HasSubkey || lookup.Path.empty()) {
                results[i].emplace().Path = lookup.Path;
            }
        }
        pending = std::move(redirected);
    }
    return results;
}

}  // namespace

const RegistryValue* RegistryKey::FindValue(std::u16string_view name) const {
    const std::u16string folded = FoldCase(name);
    for (const auto& value : Values) {
        if (value.Name.size() == folded.size() && FoldCase(value.Name) == folded) {
            return &value;
        }
    }
    return nullptr;
}

std::vector<std::optional<RegistryKey>> ReadMachineKeys(const std::filesystem::path& systemReg,
                                                        const std::vector<std::u16string>& paths) {
    return ReadKeys(systemReg, kMachineRoot, paths);
}

std::vector<std::optional<RegistryKey>> ReadMachineKeys(const std::vector<std::u16string>& paths) {
    return ReadMachineKeys(WinePrefix() / "system.reg", paths);
}

std::vector<std::optional<RegistryKey>> ReadUserKeys(const std::vector<std::u16string>& paths) {
    return ReadKeys(WinePrefix() / "user.reg", kUserRoot, paths);
}

std::optional<std::string> ValueText(const RegistryValue& value) {
    if (value.Type != REG_SZ && value.Type != REG_EXPAND_SZ && value.Type != REG_MULTI_SZ) {
        return std::nullopt;
    }
    const std::u16string text = FromUtf16Le(value.Data);
    return Utf16ToUtf8(std::u16string_view(text).substr(0, text.find(u'\0')));
}

}  // namespace vantrel
