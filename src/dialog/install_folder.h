#pragma once

#include <memory>
#include <string>

namespace vantrel {

// Finds the folder the viewer was installed to, from its application-path registration under
// HKEY_LOCAL_MACHINE. The dialog runs it in two halves, around showing its state:
//
//     InstallFolderDiscovery discovery;
//     discovery.OpenAndQuery();
//     ... show the found or not-found state from discovery.ViewerRegistered() ...
//     discovery.CloseAndTakeFolder();
//     ... show discovery.InstallFolder() ...
class InstallFolderDiscovery {
  public:
    InstallFolderDiscovery();
    ~InstallFolderDiscovery();
    InstallFolderDiscovery(const InstallFolderDiscovery&) = delete;
    InstallFolderDiscovery& operator=(const InstallFolderDiscovery&) = delete;

    // Opens the viewer's key and reads its default value.
    void OpenAndQuery();

    // True when the value was read and names a folder the images can go to.
    bool ViewerRegistered() const;

    // Closes the key and takes the folder part of the registered path.
    void CloseAndTakeFolder();

    // The folder, ending with "\"; empty until taken, and when the viewer is not registered.
    const std::string& InstallFolder() const;

  private:
    struct State;
    void CloseKey();

    std::unique_ptr<State> state_;
};

}  // namespace vantrel
