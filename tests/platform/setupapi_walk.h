#pragma once

// The test side of the cabinet iteration protocol: a callback that records every notification
// and answers as a test tells it, plus a few ways to damage a cabinet on purpose.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/setupapi.h"
#include "shared/raised_error.h"
#include "support/cab_builder.h"

namespace vantrel::test {

// The Windows path drive Z: (the host's "/") gives a host path.
inline std::string WindowsPathOf(const std::filesystem::path& hostPath) {
    std::string path = "Z:" + hostPath.string();
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

struct WalkEvent {
    UINT Notification = 0;
    std::string Name;          // 16, 18: CabinetFile, 17: NameInCabinet, 19: Source
    std::string Path;          // 16, 18: CabinetPath, 19: Target
    std::string DiskName;      // 16, 18
    USHORT CabinetNumber = 0;  // 16, 18
    DWORD Size = 0;
    WORD DosDate = 0;
    WORD DosTime = 0;
    WORD DosAttribs = 0;
    DWORD Win32Error = 0;  // 17: as received, 19: the file's outcome
    std::string Cabinet;   // 17: the cabinet path that came as Param2
};

class WalkRecorder {
  public:
    // Answer to SPFILENOTIFY_FILEINCABINET, for every file or for some by name.
    UINT FileAnswer = FILEOP_SKIP;
    std::map<std::string, UINT> FileAnswers;
    DWORD AbortError = 0;  // left in Win32Error with FILEOP_ABORT

    // Where FILEOP_DOIT files go: the folder (Windows path) joined with the name inside the
    // cabinet, unless a target is given for the name. The host folders they need are created.
    std::filesystem::path OutputHostFolder;
    std::string OutputWindowsFolder;  // how the callback names OutputHostFolder; default via Z:
    std::map<std::string, std::string> Targets;

    UINT CabinetInfoReply = 0;
    // Answer to SPFILENOTIFY_NEEDNEWCABINET, and the path it hands back (empty: none).
    UINT NewCabinetReply = 0;
    std::string NewCabinetPath;
    // Answer to SPFILENOTIFY_FILEEXTRACTED; by default the record's Win32Error, as the
    // installer's callback answers.
    std::optional<UINT> ExtractedReply;

    // At the given notification's n-th arrival (0 = first), answers as the installer's callback
    // does when a handler failed: FILEOP_ABORT with ERROR_OPERATION_ABORTED for a file, that
    // code for the other notifications.
    std::optional<std::pair<UINT, int>> StopAt;
    // Throws a RaisedError at the given notification's n-th arrival, which a callback must not.
    std::optional<std::pair<UINT, int>> ThrowAt;

    std::vector<WalkEvent> Events;

    // A recorder that writes every file into `folder`, answering SPFILENOTIFY_FILEEXTRACTED
    // with `extractedReply` when given.
    static WalkRecorder WritingTo(std::filesystem::path folder,
                                  std::optional<UINT> extractedReply = std::nullopt) {
        WalkRecorder recorder;
        recorder.FileAnswer = FILEOP_DOIT;
        recorder.OutputHostFolder = std::move(folder);
        recorder.ExtractedReply = extractedReply;
        return recorder;
    }

    BOOL Walk(const std::string& cabinetPath) {
        return SetupIterateCabinetA(cabinetPath.c_str(), 0, &WalkRecorder::Callback, this);
    }
    BOOL Walk(const std::filesystem::path& hostCabinet) { return Walk(WindowsPathOf(hostCabinet)); }

    std::vector<UINT> Notifications() const {
        std::vector<UINT> numbers;
        for (const auto& event : Events) {
            numbers.push_back(event.Notification);
        }
        return numbers;
    }

    std::vector<WalkEvent> EventsOf(UINT notification) const {
        std::vector<WalkEvent> found;
        std::copy_if(Events.begin(), Events.end(), std::back_inserter(found),
                     [&](const WalkEvent& event) { return event.Notification == notification; });
        return found;
    }

  private:
    static UINT Callback(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2) {
        return static_cast<WalkRecorder*>(context)->On(notification, param1, param2);
    }

    static WalkEvent Event(UINT notification, std::string name, std::string path) {
        WalkEvent event;
        event.Notification = notification;
        event.Name = std::move(name);
        event.Path = std::move(path);
        return event;
    }

    UINT On(UINT notification, UINT_PTR param1, UINT_PTR param2) {
        const int arrival = static_cast<int>(EventsOf(notification).size());
        switch (notification) {
            case SPFILENOTIFY_CABINETINFO:
            case SPFILENOTIFY_NEEDNEWCABINET:
                OnCabinet(notification, *reinterpret_cast<CABINET_INFO_A*>(param1));
                break;
            case SPFILENOTIFY_FILEINCABINET:
                OnFile(*reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1),
                       reinterpret_cast<const char*>(param2));
                break;
            case SPFILENOTIFY_FILEEXTRACTED:
                OnExtracted(*reinterpret_cast<FILEPATHS_A*>(param1));
                break;
            default:
                Events.push_back(Event(notification, "", ""));
        }
        if (ThrowAt && ThrowAt->first == notification && ThrowAt->second == arrival) {
            throw RaisedError(1001, "WalkRecorder", "thrown by the callback");
        }
        if (StopAt && StopAt->first == notification && StopAt->second == arrival) {
            return Stop(notification, param1);
        }
        return Reply(notification, param1, param2);
    }

    void OnCabinet(UINT notification, const CABINET_INFO_A& info) {
        WalkEvent event = Event(notification, info.CabinetFile, info.CabinetPath);
        event.DiskName = info.DiskName;
        event.CabinetNumber = info.CabinetNumber;
        Events.push_back(event);
    }

    void OnFile(const FILE_IN_CABINET_INFO_A& info, const char* cabinet) {
        WalkEvent event = Event(SPFILENOTIFY_FILEINCABINET, info.NameInCabinet, "");
        event.Size = info.FileSize;
        event.DosDate = info.DosDate;
        event.DosTime = info.DosTime;
        event.DosAttribs = info.DosAttribs;
        event.Win32Error = info.Win32Error;
        event.Cabinet = cabinet != nullptr ? cabinet : "(null)";
        // The target buffer arrives zeroed.
        event.Path = std::string(info.FullTargetName, MAX_PATH);
        event.Path.erase(std::remove(event.Path.begin(), event.Path.end(), '\0'), event.Path.end());
        Events.push_back(event);
    }

    void OnExtracted(const FILEPATHS_A& paths) {
        WalkEvent event = Event(SPFILENOTIFY_FILEEXTRACTED, paths.Source, paths.Target);
        event.Win32Error = paths.Win32Error;
        Events.push_back(event);
    }

    static UINT Stop(UINT notification, UINT_PTR param1) {
        if (notification != SPFILENOTIFY_FILEINCABINET) {
            return ERROR_OPERATION_ABORTED;
        }
        reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1)->Win32Error = ERROR_OPERATION_ABORTED;
        return FILEOP_ABORT;
    }

    UINT Reply(UINT notification, UINT_PTR param1, UINT_PTR param2) {
        switch (notification) {
            case SPFILENOTIFY_CABINETINFO:
                return CabinetInfoReply;
            case SPFILENOTIFY_NEEDNEWCABINET:
                std::copy_n(NewCabinetPath.c_str(),
                            std::min<size_t>(NewCabinetPath.size() + 1, MAX_PATH),
                            reinterpret_cast<char*>(param2));
                return NewCabinetReply;
            case SPFILENOTIFY_FILEINCABINET:
                return AnswerFile(*reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1));
            case SPFILENOTIFY_FILEEXTRACTED:
                return ExtractedReply.value_or(reinterpret_cast<FILEPATHS_A*>(param1)->Win32Error);
            default:
                return 0;
        }
    }

    UINT AnswerFile(FILE_IN_CABINET_INFO_A& info) {
        const std::string name = info.NameInCabinet;
        const auto given = FileAnswers.find(name);
        const UINT answer = given != FileAnswers.end() ? given->second : FileAnswer;
        if (answer == FILEOP_ABORT) {
            info.Win32Error = AbortError;
        }
        if (answer == FILEOP_DOIT) {
            const std::string target = TargetFor(name);
            std::copy_n(target.c_str(), std::min<size_t>(target.size() + 1, MAX_PATH),
                        info.FullTargetName);
        }
        return answer;
    }

    std::string TargetFor(const std::string& name) const {
        if (const auto given = Targets.find(name); given != Targets.end()) {
            return given->second;
        }
        std::string relative = name;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        const std::filesystem::path host = OutputHostFolder / relative;
        std::filesystem::create_directories(host.parent_path());
        return OutputWindowsFolder.empty() ? WindowsPathOf(host)
                                           : OutputWindowsFolder + "\\" + name;
    }
};

}  // namespace vantrel::test
