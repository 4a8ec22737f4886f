// Our layer in front of the system's SetupIterateCabinetA. The callback sees the protocol it
// sees from the system, with the promises platform/setupapi.h makes: the system's service writes
// into a temporary file, which replaces the target only once it is complete and on stable
// storage; a walk that ends early leaves no file of its own behind; every part of a cabinet set
// is walked; names stored as UTF-8 arrive in the ANSI code page, as all others; and the walk
// ends at the callback's first refusal, which Wine's service passes over.

#include "platform/setupapi.h"

#include <fdi.h>

#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/folders.h"
#include "platform/win32/cabinet/cabinet_set.h"
#include "platform/win32/cabinet/durable_folders.h"
#include "platform/win32/cabinet/temporary_file.h"
#include "platform/win32/text/ansi_text.h"

namespace vantrel {
namespace {

using win32::CabinetPart;
using win32::TemporaryFile;

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('\\') + 1);
}

// A file the callback chose to write, while the service writes it. Wine's service reports a file
// as extracted even when its data broke off, and only then fails the walk: a file counts as
// complete once the service goes on to the next file or ends the walk with success.
struct FileInFlight {
    std::string Name;  // as the callback was given it
    TemporaryFile Temporary;
    bool Extracted = false;  // the service reported it written, or failed
    DWORD Error = ERROR_SUCCESS;
    DWORD Flags = 0;
};

class CabinetWalk {
  public:
    CabinetWalk(PSP_FILE_CALLBACK_A handler, PVOID context)
        : handler_(handler), context_(context) {}

    // 0 when every part was walked and everything written is on stable storage, else the
    // Windows code the walk failed with.
    DWORD Run(const char* cabinetPath);

  private:
    static UINT CALLBACK Relay(PVOID self, UINT notification, UINT_PTR param1,
                               UINT_PTR param2) noexcept;
    UINT Dispatch(UINT notification, UINT_PTR param1, UINT_PTR param2);
    UINT Notify(UINT notification, const void* record, UINT_PTR param2 = 0) noexcept;
    DWORD WalkPart(std::size_t index);
    DWORD AskForPart(const CabinetPart& previous, std::string& folder);
    UINT OnFileInCabinet(FILE_IN_CABINET_INFO_A& record, UINT_PTR cabinet);
    UINT OnFileExtracted(const FILEPATHS_A& paths);
    UINT Settle();
    UINT OnNeedNewCabinet(const CABINET_INFO_A& info, char* newPath);
    UINT ReportNotWritten(FILE_IN_CABINET_INFO_A& record, const std::string& target,
                          const std::string& name, DWORD error);
    void Stop(DWORD reason);
    UINT StoppedAnswer(UINT notification, UINT_PTR param1) const;
    std::string NameForCallback(const FILE_IN_CABINET_INFO_A& record) const;
    DWORD Prepare(const std::string& target, const std::string& name);

    PSP_FILE_CALLBACK_A handler_;
    PVOID context_;
    std::vector<CabinetPart> parts_;
    std::size_t nextPart_ = 0;   // the part the service will ask for next
    std::string partLastGiven_;  // the name of the part the service was last told of
    DWORD stopReason_ = ERROR_SUCCESS;
    std::optional<FileInFlight> inFlight_;
    std::unordered_set<std::string> cleanedFolders_;
    win32::DurableFolders durable_;
};

DWORD CabinetWalk::Run(const char* cabinetPath) {
    DWORD error = win32::GatherCabinetSet(
        cabinetPath,
        [this](const CabinetPart& previous, std::string& folder) {
            return AskForPart(previous, folder);
        },
        parts_);
    for (std::size_t part = 0; error == ERROR_SUCCESS && part < parts_.size(); ++part) {
        error = WalkPart(part);
    }
    const DWORD flushed = durable_.Flush();
    return error != ERROR_SUCCESS ? error : flushed;
}

DWORD CabinetWalk::WalkPart(std::size_t index) {
    nextPart_ = index + 1;
    partLastGiven_.clear();
    // The service leaves its last error behind whatever happens, and a successful open of an
    // existing file, as of the temporary file it is handed, sets ERROR_ALREADY_EXISTS.
    SetLastError(ERROR_SUCCESS);
    const BOOL walked = ::SetupIterateCabinetA(parts_[index].Path.c_str(), 0, Relay, this);
    const DWORD lastError = GetLastError();
    if (walked && stopReason_ == ERROR_SUCCESS) {
        Settle();
    }
    // A file left in flight by a failed walk is one whose data broke off.
    inFlight_.reset();
    if (stopReason_ != ERROR_SUCCESS) {
        return stopReason_;
    }
    if (walked) {
        return ERROR_SUCCESS;
    }
    return lastError != ERROR_SUCCESS && lastError != ERROR_ALREADY_EXISTS ? lastError
                                                                           : ERROR_INVALID_DATA;
}

// Asked as our POSIX layer asks, before the walk: the set is known whole before any file is
// written.
DWORD CabinetWalk::AskForPart(const CabinetPart& previous, std::string& folder) {
    CABINET_INFO_A info{previous.Folder.c_str(), previous.NextName.c_str(),
                        previous.NextDisk.c_str(), previous.SetId,
                        static_cast<USHORT>(previous.Number + 1)};
    char newPath[MAX_PATH] = {};
    const UINT reply =
        Notify(SPFILENOTIFY_NEEDNEWCABINET, &info, reinterpret_cast<UINT_PTR>(newPath));
    if (reply != ERROR_SUCCESS) {
        return reply;
    }
    if (newPath[0] != '\0') {
        folder.assign(newPath, strnlen(newPath, MAX_PATH));
    }
    return ERROR_SUCCESS;
}

// The service finds its last error as it left it: what the layer and the callback do in between
// must not become the reason of a failure the service reports later without one.
UINT CALLBACK CabinetWalk::Relay(PVOID self, UINT notification, UINT_PTR param1,
                                 UINT_PTR param2) noexcept {
    auto& walk = *static_cast<CabinetWalk*>(self);
    const DWORD serviceError = GetLastError();
    UINT answer = 0;
    try {
        answer = walk.Dispatch(notification, param1, param2);
    } catch (const std::bad_alloc&) {
        walk.Stop(ERROR_NOT_ENOUGH_MEMORY);
        answer = walk.StoppedAnswer(notification, param1);
    }
    SetLastError(serviceError);
    return answer;
}

UINT CabinetWalk::Notify(UINT notification, const void* record, UINT_PTR param2) noexcept {
    return handler_(context_, notification, reinterpret_cast<UINT_PTR>(record), param2);
}

UINT CabinetWalk::Dispatch(UINT notification, UINT_PTR param1, UINT_PTR param2) {
    if (stopReason_ != ERROR_SUCCESS) {
        return StoppedAnswer(notification, param1);
    }
    if (param1 == 0) {
        return Notify(notification, nullptr, param2);
    }
    switch (notification) {
        case SPFILENOTIFY_FILEINCABINET:
            return OnFileInCabinet(*reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1), param2);
        case SPFILENOTIFY_FILEEXTRACTED:
            return OnFileExtracted(*reinterpret_cast<const FILEPATHS_A*>(param1));
        case SPFILENOTIFY_NEEDNEWCABINET:
            return OnNeedNewCabinet(*reinterpret_cast<const CABINET_INFO_A*>(param1),
                                    reinterpret_cast<char*>(param2));
        default:
            return Notify(notification, reinterpret_cast<const void*>(param1), param2);
    }
}

// The one place where a name stored in the cabinet becomes the name the callback is given: in
// the ANSI code page, as every text of the service. The system's service hands a name over as
// stored, with the flag that says it is UTF-8 in DosAttribs (which the callback sees too).
std::string CabinetWalk::NameForCallback(const FILE_IN_CABINET_INFO_A& record) const {
    const std::string stored = record.NameInCabinet != nullptr ? record.NameInCabinet : "";
    return (record.DosAttribs & _A_NAME_IS_UTF) != 0 ? win32::ExactAnsiFromUtf8(stored) : stored;
}

UINT CabinetWalk::OnFileInCabinet(FILE_IN_CABINET_INFO_A& record, UINT_PTR cabinet) {
    if (Settle() != ERROR_SUCCESS) {
        return StoppedAnswer(SPFILENOTIFY_FILEINCABINET, reinterpret_cast<UINT_PTR>(&record));
    }
    const std::string name = NameForCallback(record);
    FILE_IN_CABINET_INFO_A asked = record;
    asked.NameInCabinet = name.c_str();
    std::memset(asked.FullTargetName, 0, sizeof asked.FullTargetName);
    const UINT answer = Notify(SPFILENOTIFY_FILEINCABINET, &asked, cabinet);
    if (answer == FILEOP_SKIP) {
        return FILEOP_SKIP;
    }
    if (answer != FILEOP_DOIT) {
        Stop(asked.Win32Error != ERROR_SUCCESS ? asked.Win32Error : ERROR_OPERATION_ABORTED);
        return StoppedAnswer(SPFILENOTIFY_FILEINCABINET, reinterpret_cast<UINT_PTR>(&record));
    }
    const std::string target(asked.FullTargetName, strnlen(asked.FullTargetName, MAX_PATH));
    if (const DWORD error = Prepare(target, name); error != ERROR_SUCCESS) {
        inFlight_.reset();
        return ReportNotWritten(record, target, name, error);
    }
    const std::string& temporary = inFlight_->Temporary.Path();
    std::memcpy(record.FullTargetName, temporary.c_str(), temporary.size() + 1);
    return FILEOP_DOIT;
}

// Readies the temporary file for `target`, the file `name` of the cabinet: 0, or the Windows
// code of why it cannot be written.
DWORD CabinetWalk::Prepare(const std::string& target, const std::string& name) {
    if (target.empty()) {
        return ERROR_PATH_NOT_FOUND;
    }
    if (target.size() >= static_cast<std::size_t>(MAX_PATH)) {
        return ERROR_BUFFER_OVERFLOW;
    }
    const std::string folder = FolderOf(target);
    if (cleanedFolders_.insert(folder).second) {
        win32::RemoveLeftoverTemporaries(folder);
    }
    inFlight_.emplace();
    inFlight_->Name = name;
    const DWORD error = inFlight_->Temporary.Reserve(target);
    return WriteErrorInFolder(error, win32::Utf8FromAnsi(folder));
}

// A file that cannot be written is told to the callback as the service tells one it failed to
// write; the callback's answer decides whether the walk goes on.
UINT CabinetWalk::ReportNotWritten(FILE_IN_CABINET_INFO_A& record, const std::string& target,
                                   const std::string& name, DWORD error) {
    const FILEPATHS_A paths{target.c_str(), name.c_str(), error, 0};
    const UINT reply = Notify(SPFILENOTIFY_FILEEXTRACTED, &paths);
    if (reply == ERROR_SUCCESS) {
        return FILEOP_SKIP;
    }
    Stop(reply);
    return StoppedAnswer(SPFILENOTIFY_FILEINCABINET, reinterpret_cast<UINT_PTR>(&record));
}

UINT CabinetWalk::OnFileExtracted(const FILEPATHS_A& paths) {
    if (!inFlight_) {
        return Notify(SPFILENOTIFY_FILEEXTRACTED, &paths);
    }
    inFlight_->Extracted = true;
    inFlight_->Error = paths.Win32Error & 0xFFFF;
    inFlight_->Flags = paths.Flags;
    if (inFlight_->Error == ERROR_SUCCESS) {
        return ERROR_SUCCESS;
    }
    return Settle() != ERROR_SUCCESS ? stopReason_ : ERROR_SUCCESS;
}

// Finishes the file in flight, once the service has moved past it: a complete one replaces its
// target, and the callback hears of it as the service would have told it; one the service never
// reported written is given up. The callback's answer, which may end the walk.
UINT CabinetWalk::Settle() {
    if (!inFlight_ || !inFlight_->Extracted) {
        inFlight_.reset();
        return ERROR_SUCCESS;
    }
    const std::string target = inFlight_->Temporary.Target();
    const std::string name = inFlight_->Name;
    const DWORD error =
        inFlight_->Error != ERROR_SUCCESS ? inFlight_->Error : inFlight_->Temporary.Replace();
    durable_.Note(FolderOf(target));
    const FILEPATHS_A told{target.c_str(), name.c_str(), error, inFlight_->Flags};
    inFlight_.reset();
    const UINT reply = Notify(SPFILENOTIFY_FILEEXTRACTED, &told);
    if (reply != ERROR_SUCCESS) {
        Stop(reply);
    }
    return reply;
}

// The service asks for the part a split file goes on in. The callback was asked where each part
// lies before the walk; the service is told that folder. Asked again for the part it was just
// told of, it could not open it: the protocol would ask for ever, and the walk ends instead.
UINT CabinetWalk::OnNeedNewCabinet(const CABINET_INFO_A& info, char* newPath) {
    const std::string asked = info.CabinetFile != nullptr ? info.CabinetFile : "";
    if (!partLastGiven_.empty() && lstrcmpiA(asked.c_str(), partLastGiven_.c_str()) == 0) {
        Stop(ERROR_FILE_NOT_FOUND);
        return stopReason_;
    }
    if (nextPart_ >= parts_.size() || newPath == nullptr ||
        lstrcmpiA(asked.c_str(), parts_[nextPart_ - 1].NextName.c_str()) != 0) {
        Stop(ERROR_INVALID_DATA);
        return stopReason_;
    }
    lstrcpynA(newPath, parts_[nextPart_].Folder.c_str(), MAX_PATH);
    partLastGiven_ = asked;
    ++nextPart_;
    return ERROR_SUCCESS;
}

// Ends the walk: the first reason stands, and the file in flight is given up.
void CabinetWalk::Stop(DWORD reason) {
    if (stopReason_ == ERROR_SUCCESS) {
        stopReason_ = reason;
    }
    inFlight_.reset();
}

// What the service is answered once the walk has ended, so that it stops where it listens. Wine's
// takes FILEOP_ABORT as "skip" and walks on, and meets this answer again at every file.
UINT CabinetWalk::StoppedAnswer(UINT notification, UINT_PTR param1) const {
    if (notification != SPFILENOTIFY_FILEINCABINET) {
        return stopReason_;
    }
    if (param1 != 0) {
        reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1)->Win32Error = stopReason_;
    }
    return FILEOP_ABORT;
}

}  // namespace

BOOL SetupIterateCabinetA(PCSTR CabinetFile, DWORD /*Reserved*/, PSP_FILE_CALLBACK_A MsgHandler,
                          PVOID Context) {
    if (CabinetFile == nullptr || MsgHandler == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD error = ERROR_SUCCESS;
    try {
        CabinetWalk walk(MsgHandler, Context);
        error = walk.Run(CabinetFile);
    } catch (const std::bad_alloc&) {
        error = ERROR_NOT_ENOUGH_MEMORY;
    }
    SetLastError(error);
    return error == ERROR_SUCCESS ? TRUE : FALSE;
}

}  // namespace vantrel
