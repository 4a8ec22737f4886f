#include "cabinet/safe_name.h"

namespace vantrel {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsSafeComponent(std::string_view component) {
    return component.find_first_not_of(". ") != std::string_view::npos;
}

}  // namespace

bool IsSafeRelativeName(std::string_view name) {
    if (name.find_first_of(std::string_view(":\0", 2)) != std::string_view::npos) {
        return false;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) {
            ++end;
        }
        if (!IsSafeComponent(name.substr(start, end - start))) {
            return false;
        }
        if (end == name.size()) {
            return true;
        }
        start = end + 1;
    }
}

}  // namespace vantrel
