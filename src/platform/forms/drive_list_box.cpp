#include "platform/forms/drive_list_box.h"

#include <algorithm>
#include <cctype>

#include "platform/file_system.h"
#include "shared/runtime_error.h"

namespace vantrel {
namespace {

std::string DriveText(char letter) {
    return {static_cast<char>(std::tolower(static_cast<unsigned char>(letter))), ':'};
}

// The drive of the process's current folder, or the first drive when no drive holds it.
char CurrentDriveLetter() {
    const auto current = CurrentFolder();
    if (current && !current->empty()) {
        return current->front();
    }
    const auto letters = DriveLetters();
    return letters.empty() ? '\0' : letters.front();
}

}  // namespace

DriveListBox::DriveListBox(Form& parent) : Control(parent) {
    Refresh();
    ShowDrive(CurrentDriveLetter());
    CreatePeer(*this);
}

std::string DriveListBox::Drive() const {
    return listIndex_ >= 0 ? list_[static_cast<std::size_t>(listIndex_)] : std::string();
}

void DriveListBox::SetDrive(const std::string& drive) {
    if (drive.empty()) {
        return;
    }
    Refresh();
    const char letter = drive.front();
    const int index = IndexOf(letter);
    if (!std::isalpha(static_cast<unsigned char>(letter)) || index < 0) {
        RuntimeError::Raise(RuntimeError::DeviceUnavailable);
    }
    listIndex_ = index;
    Notify(Property::Content);
}

void DriveListBox::Refresh() {
    const std::string shown = Drive();
    list_.clear();
    for (const char letter : DriveLetters()) {
        list_.push_back(DriveText(letter));
    }
    ShowDrive(shown.empty() ? '\0' : shown.front());
}

// A drive that does not exist shows the first one, as a list box does once filled.
void DriveListBox::ShowDrive(char letter) {
    const int index = IndexOf(letter);
    listIndex_ = index >= 0 || list_.empty() ? index : 0;
    Notify(Property::Content);
}

int DriveListBox::IndexOf(char letter) const {
    const auto found = std::find(list_.begin(), list_.end(), DriveText(letter));
    return found == list_.end() ? -1 : static_cast<int>(found - list_.begin());
}

}  // namespace vantrel
