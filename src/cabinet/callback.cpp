#include "cabinet/callback.h"

#include <cstddef>
#include <utility>
#include <vector>

#include "cabinet/cab_file.h"
#include "platform/folders.h"
#include "platform/setupapi.h"
#include "shared/runtime_error.h"

namespace vantrel::Callback {
namespace {

bool CreatedOrExists(int outcome) {
    return outcome == kFolderCreated || outcome == RuntimeError::PathFileAccessError;
}

std::vector<std::string> SplitAtBackslashes(const std::string& folder) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t cut = folder.find('\\', start);
        parts.push_back(folder.substr(start, cut - start));
        if (cut == std::string::npos) {
            return parts;
        }
        start = cut + 1;
    }
}

// The parts up to and including `last`, joined by "\". Built the same way as the creation loop
// below grows it, so that the anchor and the folders after it line up.
std::string JoinParts(const std::vector<std::string>& parts, std::size_t last) {
    std::string candidate;
    for (std::size_t i = 0; i <= last; ++i) {
        candidate += '\\';
        candidate += parts[i];
    }
    if (candidate.size() >= 2) {
        candidate.erase(0, 1);
    }
    return candidate;
}

std::exception_ptr walkError;

// The part of a cabinet set the service asked for last, as long as nothing else came between.
std::string partAskedFor;

// The reason this module gave the service for ending the walk.
DWORD stopReason = ERROR_SUCCESS;

// True when the service asks again for the part it asked for just before: it could not open it.
// Windows' protocol (and Wine's service) asks for ever until the answer is an error.
bool AsksAgainForTheSamePart(UINT_PTR Param1) {
    std::string part;
    if (Param1 != 0) {
        const auto& info = *reinterpret_cast<const CABINET_INFO_A*>(Param1);
        part = std::string(info.CabinetPath ? info.CabinetPath : "") + '\0' +
               (info.CabinetFile ? info.CabinetFile : "");
    }
    return std::exchange(partAskedFor, part) == part;
}

// The answer by which the service's protocol ends a walk.
UINT StopTheWalk(UINT Notification, UINT_PTR Param1) {
    if (Notification != SPFILENOTIFY_FILEINCABINET) {
        return ERROR_OPERATION_ABORTED;
    }
    if (Param1 != 0) {
        reinterpret_cast<FILE_IN_CABINET_INFO_A*>(Param1)->Win32Error = ERROR_OPERATION_ABORTED;
    }
    return FILEOP_ABORT;
}

}  // namespace

std::shared_ptr<CabFile> ActiveCab;

void SetActiveCab(std::shared_ptr<CabFile> obj) {
    ActiveCab = std::move(obj);
}

PVOID ContextOf(UINT mode) {
    return reinterpret_cast<PVOID>(static_cast<UINT_PTR>(mode));
}

UINT CALLBACK CabIterateCallback(PVOID Context, UINT Notification, UINT_PTR Param1,
                                 UINT_PTR Param2) noexcept {
    // A local reference keeps the object alive even if a handler hands the slot to another one.
    const std::shared_ptr<CabFile> cab = ActiveCab;
    if (!cab) {
        return 0;
    }
    // A service may go on after it was told to stop (Wine's passes the rest of the files by):
    // the first error stands, and no handler runs after it.
    if (walkError) {
        return StopTheWalk(Notification, Param1);
    }
    if (Notification != SPFILENOTIFY_NEEDNEWCABINET) {
        partAskedFor.clear();
    } else if (AsksAgainForTheSamePart(Param1)) {
        stopReason = ERROR_FILE_NOT_FOUND;
        return stopReason;
    }
    const auto context = static_cast<UINT>(reinterpret_cast<UINT_PTR>(Context));
    try {
        return cab->CabCallBack(context, Notification, Param1, Param2);
    } catch (...) {
        walkError = std::current_exception();
        return StopTheWalk(Notification, Param1);
    }
}

void BeginWalk() {
    walkError = nullptr;
    partAskedFor.clear();
    stopReason = ERROR_SUCCESS;
}

DWORD WalkStopReason() {
    return stopReason;
}

std::exception_ptr TakeWalkError() {
    return std::exchange(walkError, nullptr);
}

std::string AddBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\') {
        return folder;
    }
    return folder + '\\';
}

bool MakeDirTree(std::string& folder) {
    if (folder.empty()) {
        return false;
    }
    if (folder.back() == '\\') {
        folder.pop_back();
    }
    int outcome = MkDir(folder);
    if (CreatedOrExists(outcome)) {
        return true;
    }
    if (outcome != RuntimeError::PathNotFound) {
        return false;
    }

    // Look backwards for the deepest folder that exists or can be made. When none can, the
    // creation below starts from the first part again, growing the last candidate tried.
    const std::vector<std::string> parts = SplitAtBackslashes(folder);
    std::string candidate;
    std::size_t firstToCreate = 0;
    for (std::size_t current = parts.size() - 1; current-- > 0;) {
        candidate = JoinParts(parts, current);
        outcome = MkDir(candidate);
        if (CreatedOrExists(outcome)) {
            firstToCreate = current + 1;
            break;
        }
        if (outcome != RuntimeError::PathNotFound) {
            return false;
        }
    }

    // Every folder below the anchor must be new: one that suddenly exists (or refuses access)
    // means the tree is not what the search found.
    for (std::size_t i = firstToCreate; i < parts.size(); ++i) {
        candidate += '\\';
        candidate += parts[i];
        if (MkDir(candidate) != kFolderCreated) {
            return false;
        }
    }
    return true;
}

}  // namespace vantrel::Callback
