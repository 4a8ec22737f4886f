#include "shared/ansi.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <utility>

namespace vantrel {
namespace {

struct LanguageCodePage {
    std::string_view language;
    int codePage;
};

// Languages Windows writes in a code page other than 1252. Chinese depends on the territory.
constexpr std::array<LanguageCodePage, 35> kLanguageCodePages{{
    {"ja", 932},  {"ko", 949},  {"th", 874},  {"cs", 1250}, {"pl", 1250}, {"hu", 1250},
    {"sk", 1250}, {"sl", 1250}, {"hr", 1250}, {"ro", 1250}, {"sq", 1250}, {"bs", 1250},
    {"ru", 1251}, {"uk", 1251}, {"be", 1251}, {"bg", 1251}, {"mk", 1251}, {"sr", 1251},
    {"kk", 1251}, {"ky", 1251}, {"tt", 1251}, {"mn", 1251}, {"el", 1253}, {"tr", 1254},
    {"az", 1254}, {"he", 1255}, {"iw", 1255}, {"yi", 1255}, {"ar", 1256}, {"fa", 1256},
    {"ur", 1256}, {"lt", 1257}, {"lv", 1257}, {"et", 1257}, {"vi", 1258},
}};

int ChineseCodePage(std::string_view territory) {
    if (territory == "TW" || territory == "HK" || territory == "MO") {
        return 950;
    }
    return 936;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string IconvName(int codePage) {
    return "CP" + std::to_string(codePage);
}

// One conversion descriptor per direction and code page, opened on first use and kept for the
// life of the thread: opening one costs far more than converting a file name.
class ConverterCache {
  public:
    ~ConverterCache() {
        for (const auto& [names, converter] : converters_) {
            if (converter != kFailed) {
                iconv_close(converter);
            }
        }
    }

    iconv_t Get(const std::string& to, const std::string& from) {
        auto [slot, added] = converters_.try_emplace({to, from}, kFailed);
        if (added) {
            slot->second = iconv_open(to.c_str(), from.c_str());
        }
        return slot->second;
    }

    static inline const iconv_t kFailed = reinterpret_cast<iconv_t>(-1);

  private:
    std::map<std::pair<std::string, std::string>, iconv_t> converters_;
};

iconv_t Converter(const std::string& to, const std::string& from) {
    thread_local ConverterCache cache;
    iconv_t slot = cache.Get(to, from);
    if (slot != ConverterCache::kFailed) {
        iconv(slot, nullptr, nullptr, nullptr, nullptr);  // back to the initial shift state
    }
    return slot;
}

std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    if (lead >= 0xE0)
        return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2)
        return 2;
    return 1;
}

// Runs iconv over the whole input. `onInvalid` decides what replaces an input sequence that
// cannot be converted and how many input bytes it covers.
template <typename OnInvalid>
std::string Convert(iconv_t cd, std::string_view input, OnInvalid onInvalid) {
    std::string output;
    output.reserve(input.size() * 2 + 8);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::array<char, 1024> chunk;
    while (inLeft > 0) {
        char* out = chunk.data();
        std::size_t outLeft = chunk.size();
        const std::size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(chunk.data(), chunk.size() - outLeft);
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) {
            continue;
        }
        const auto [replacement, skipped] =
            onInvalid(std::string_view(in, inLeft), errno == EINVAL);
        output += replacement;
        in += skipped;
        inLeft -= skipped;
    }
    return output;
}

}  // namespace

int AnsiCodePageForLocale(std::string_view locale) {
    const auto languageEnd = locale.find_first_of("_.@");
    const auto language = locale.substr(0, languageEnd);
    std::string_view territory;
    if (languageEnd != std::string_view::npos && locale[languageEnd] == '_') {
        territory = locale.substr(languageEnd + 1, 2);
    }
    if (language == "zh") {
        return ChineseCodePage(territory);
    }
    if (language == "sr" && locale.find("@latin") != std::string_view::npos) {
        return 1250;
    }
    for (const auto& entry : kLanguageCodePages) {
        if (entry.language == language) {
            return entry.codePage;
        }
    }
    return 1252;
}

int AnsiCodePage() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return AnsiCodePageForLocale(value);
        }
    }
    return 1252;
}

std::string ToAnsi(std::string_view text, int codePage) {
    if (IsAscii(text)) {
        return std::string(text);
    }
    iconv_t cd = Converter(IconvName(codePage), "UTF-8");
    if (cd == ConverterCache::kFailed) {
        cd = Converter("CP1252", "UTF-8");
    }
    return Convert(cd, text, [](std::string_view rest, bool) {
        const auto length = std::min(Utf8SequenceLength(rest.front()), rest.size());
        return std::pair<std::string_view, std::size_t>{"?", length};
    });
}

std::string ToAnsi(std::string_view text) {
    return ToAnsi(text, AnsiCodePage());
}

std::string FromAnsi(std::string_view bytes, int codePage) {
    if (IsAscii(bytes)) {
        return std::string(bytes);
    }
    iconv_t cd = Converter("UTF-8", IconvName(codePage));
    if (cd == ConverterCache::kFailed) {
        cd = Converter("UTF-8", "CP1252");
    }
    return Convert(cd, bytes, [](std::string_view rest, bool truncated) {
        return std::pair<std::string_view, std::size_t>{"\xEF\xBF\xBD",
                                                        truncated ? rest.size() : 1};
    });
}

std::string FromAnsi(std::string_view bytes) {
    return FromAnsi(bytes, AnsiCodePage());
}

}  // namespace vantrel
