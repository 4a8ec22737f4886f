#include "support/viewer_registry.h"

namespace vantrel::test {

RegistryValue ViewerPath(const std::string& path) {
    return {"", 1, path};
}

}  // namespace vantrel::test
