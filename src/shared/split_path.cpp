#include "shared/split_path.h"

namespace vantrel {

SplitPathResult SplitPath(std::string_view path) {
    const auto cut = path.rfind('\\');
    if (cut == std::string_view::npos) {
        return {std::string(), std::string(path)};
    }
    return {std::string(path.substr(0, cut + 1)), std::string(path.substr(cut + 1))};
}

}  // namespace vantrel
