#pragma once

// Choices of how our POSIX cabinet service writes and decodes, for diagnosis and tests; the
// defaults are what the installer uses. Windows' own service writes and decodes its own way, and
// these change nothing there.

namespace vantrel {

struct CabinetOptions {
    // Every file starts under a hidden temporary name, as on file systems without nameless files
    // (vfat, NFS, many FUSE file systems), instead of without a name.
    bool NamedTemporaryFiles = false;
    // Every folder is left to libmspack, MSZIP ones too, to compare the walk's own inflate with
    // libmspack's.
    bool LibmspackOnly = false;
};

// The options of every walk started while this lives. One made while another lives stands in
// for it until it ends; with none, the defaults.
class CabinetOptionsScope {
  public:
    explicit CabinetOptionsScope(CabinetOptions options);
    ~CabinetOptionsScope();
    CabinetOptionsScope(const CabinetOptionsScope&) = delete;
    CabinetOptionsScope& operator=(const CabinetOptionsScope&) = delete;

  private:
    CabinetOptions options_;
    const CabinetOptions* previous_;
};

const CabinetOptions& CurrentCabinetOptions();

}  // namespace vantrel
