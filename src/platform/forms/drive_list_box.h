#pragma once

#include <QComboBox>
#include <string>

namespace vantrel {

// Stands in for the forms runtime's drive list: offers the drives of the Wine prefix ("c:",
// "z:" ...) and shows the one set. It starts on the drive of the process's current folder.
class DriveListBox : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveListBox(QWidget* parent = nullptr);

    // The drive shown, as "c:"; empty when no drive is mapped at all.
    std::string Drive() const;

    // Shows the drive named by the first character of `drive` ("C", "c:", "C:\Program Files"
    // all name drive C). An empty text leaves the list as it is. A drive that is not mapped
    // raises RaisedError 68 "Device unavailable".
    void SetDrive(const std::string& drive);

    // Reads the prefix's drives again, keeping the drive shown when it is still mapped.
    void Refresh();
};

}  // namespace vantrel
