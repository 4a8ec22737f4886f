#include "platform/cabinet_options.h"

namespace vantrel {
namespace {

const CabinetOptions*& Innermost() {
    static const CabinetOptions defaults;
    static const CabinetOptions* innermost = &defaults;
    return innermost;
}

}  // namespace

CabinetOptionsScope::CabinetOptionsScope(CabinetOptions options)
    : options_(options), previous_(Innermost()) {
    Innermost() = &options_;
}

CabinetOptionsScope::~CabinetOptionsScope() {
    Innermost() = previous_;
}

const CabinetOptions& CurrentCabinetOptions() {
    return *Innermost();
}

}  // namespace vantrel
