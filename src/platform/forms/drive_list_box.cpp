#include "platform/forms/drive_list_box.h"

#include <cctype>
#include <filesystem>

#include "platform/posix/files/drives.h"
#include "platform/forms/program.h"
#include "shared/raised_error.h"

namespace vantrel {
namespace {

constexpr int kDeviceUnavailable = 68;

QString DriveText(char letter) {
    return QString(QChar(std::tolower(static_cast<unsigned char>(letter)))) + ':';
}

// The drive of the process's current folder, or the first drive when no drive holds it.
char CurrentDriveLetter() {
    std::error_code error;
    const auto current = ToWindowsPath(std::filesystem::current_path(error));
    if (!error && current && !current->empty()) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>((*current)[0])));
    }
    const auto drives = MappedDrives();
    return drives.empty() ? '\0' : drives.front().Letter;
}

}  // namespace

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
    Refresh();
    const int current = findText(DriveText(CurrentDriveLetter()));
    setCurrentIndex(current >= 0 ? current : 0);
}

std::string DriveListBox::Drive() const {
    return currentText().toStdString();
}

void DriveListBox::SetDrive(const std::string& drive) {
    if (drive.empty()) {
        return;
    }
    Refresh();
    const int index = findText(DriveText(drive.front()));
    if (!std::isalpha(static_cast<unsigned char>(drive.front())) || index < 0) {
        throw RaisedError(kDeviceUnavailable, kRuntimeErrorSource, "Device unavailable");
    }
    setCurrentIndex(index);
}

void DriveListBox::Refresh() {
    const QString shown = currentText();
    clear();
    for (const auto& drive : MappedDrives()) {
        addItem(DriveText(drive.Letter));
    }
    const int index = findText(shown);
    if (index >= 0) {
        setCurrentIndex(index);
    }
}

}  // namespace vantrel
