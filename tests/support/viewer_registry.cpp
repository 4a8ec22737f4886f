#include "support/viewer_registry.h"

namespace vantrel::test {

RegistryValue ViewerPath(const std::string& path) {
    return {"", kRegString, path};
}

}  // namespace vantrel::test
