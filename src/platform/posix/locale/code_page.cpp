#include "platform/posix/locale/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "platform/kernel.h"
#include "shared/utf16.h"

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

std::string IconvName(UINT codePage) {
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

// The converter between UTF-8 and `codePage`; code page 1252's when iconv does not know that
// one, so that text always comes through.
iconv_t CodePageConverter(UINT codePage, bool toUtf8) {
    const std::string name = IconvName(codePage == 0 ? GetACP() : codePage);
    iconv_t cd = toUtf8 ? Converter("UTF-8", name) : Converter(name, "UTF-8");
    if (cd == ConverterCache::kFailed) {
        cd = toUtf8 ? Converter("UTF-8", "CP1252") : Converter("CP1252", "UTF-8");
    }
    return cd;
}

struct Replacement {
    std::string_view text;
    std::size_t inputBytes;  // how much of the input it stands for
};

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
        const Replacement replacement = onInvalid(std::string_view(in, inLeft), errno == EINVAL);
        output += replacement.text;
        in += replacement.inputBytes;
        inLeft -= replacement.inputBytes;
    }
    return output;
}

// Bytes of a code page to UTF-8; a byte that is no character, or a character cut off at the
// end, becomes U+FFFD.
std::string CodePageToUtf8(std::string_view bytes, UINT codePage) {
    return Convert(CodePageConverter(codePage, true), bytes, [](std::string_view rest, bool cut) {
        return Replacement{"\xEF\xBF\xBD", cut ? rest.size() : 1};
    });
}

// UTF-8 to a code page; a character the code page lacks becomes `defaultChar`.
std::string Utf8ToCodePage(std::string_view text, UINT codePage, char defaultChar,
                           bool& usedDefault) {
    return Convert(CodePageConverter(codePage, false), text, [&](std::string_view rest, bool) {
        usedDefault = true;
        std::size_t length = 0;
        DecodeUtf8(rest, length);
        return Replacement{std::string_view(&defaultChar, 1), length};
    });
}

// The length of an input given with Windows' conventions: -1 for "up to and including the
// terminating zero". Zero and other negative lengths are refused.
bool InputLength(int given, std::size_t zeroTerminatedLength, std::size_t& length) {
    if (given == -1) {
        length = zeroTerminatedLength + 1;
        return true;
    }
    length = static_cast<std::size_t>(given);
    return given > 0;
}

// Hands a finished conversion over as Windows does: its size when `capacity` is 0, else the
// units copied, or 0 with ERROR_INSUFFICIENT_BUFFER when they do not fit.
template <typename Unit>
int Deliver(const std::basic_string<Unit>& result, Unit* out, int capacity) {
    const int size = static_cast<int>(result.size());
    if (capacity == 0) {
        return size;
    }
    if (capacity < size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(result.begin(), result.end(), out);
    return size;
}

int RefuseParameters() {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
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

// The locale that decides is the one LC_CTYPE follows: LC_ALL, else LC_CTYPE, else LANG.
UINT GetACP() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return static_cast<UINT>(AnsiCodePageForLocale(value));
        }
    }
    return 1252;
}

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar) {
    std::size_t length = 0;
    if (dwFlags != 0 || lpMultiByteStr == nullptr || cchWideChar < 0 ||
        (lpWideCharStr == nullptr && cchWideChar != 0) ||
        !InputLength(cbMultiByte, cbMultiByte == -1 ? std::strlen(lpMultiByteStr) : 0, length)) {
        return RefuseParameters();
    }
    const std::string utf8 = CodePageToUtf8(std::string_view(lpMultiByteStr, length), CodePage);
    return Deliver(Utf8ToUtf16(utf8), lpWideCharStr, cchWideChar);
}

int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                        LPBOOL lpUsedDefaultChar) {
    std::size_t length = 0;
    if (dwFlags != 0 || lpWideCharStr == nullptr || cbMultiByte < 0 ||
        (lpMultiByteStr == nullptr && cbMultiByte != 0) ||
        !InputLength(cchWideChar, cchWideChar == -1 ? std::u16string_view(lpWideCharStr).size() : 0,
                     length)) {
        return RefuseParameters();
    }
    bool usedDefault = false;
    const std::string bytes =
        Utf8ToCodePage(Utf16ToUtf8(std::u16string_view(lpWideCharStr, length)), CodePage,
                       lpDefaultChar != nullptr ? *lpDefaultChar : '?', usedDefault);
    if (lpUsedDefaultChar != nullptr) {
        *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
    }
    return Deliver(bytes, lpMultiByteStr, cbMultiByte);
}

}  // namespace vantrel
