#pragma once

#include <string>
#include <vector>

#include "platform/forms/control.h"

namespace vantrel {

// The drive list: offers the drives that exist ("c:", "z:" ...) and shows the one set. It
// starts on the drive of the process's current folder.
class DriveListBox : public Control {
  public:
    explicit DriveListBox(Form& parent);

    // The drive shown, as "c:"; empty when there is no drive at all.
    std::string Drive() const;

    // Shows the drive named by the first character of `drive` ("C", "c:", "C:\Program Files"
    // all name drive C). An empty text leaves the list as it is. A drive that does not exist
    // raises RaisedError 68 "Device unavailable".
    void SetDrive(const std::string& drive);

    // The drives offered, and the index of the one shown (-1 for none).
    const std::vector<std::string>& List() const { return list_; }
    int ListIndex() const { return listIndex_; }

    // Reads the drives again, keeping the drive shown when it still exists.
    void Refresh();

  private:
    int IndexOf(char letter) const;
    void ShowDrive(char letter);

    std::vector<std::string> list_;
    int listIndex_ = -1;
};

}  // namespace vantrel
