#pragma once

// The bridge between the cabinet iteration service and CabFile objects, and the folder helpers
// extraction uses.

#include <exception>
#include <memory>
#include <string>

#include "platform/win_types.h"

namespace vantrel {

class CabFile;

namespace Callback {

// The object that started the walk in progress, or the last one that did. Never cleared, and
// that is safe: only the service calls the callback, only during a walk, and every walk sets the
// slot before it starts; between walks nothing reads it. The object it keeps alive is the one the
// dialog holds until the program ends anyway. An object the dialog lets go stops delivering
// events because its handlers are cleared (FrmConfirm::ReleaseCab), not through this slot.
extern std::shared_ptr<CabFile> ActiveCab;
void SetActiveCab(std::shared_ptr<CabFile> obj);

// The function handed to SetupIterateCabinetA: forwards to ActiveCab's dispatcher, or answers 0
// when there is no active object. No exception leaves it, since the service's frames cannot
// carry one: what the dispatcher throws is kept for TakeWalkError, and the service is answered
// so that it ends the walk (FILEOP_ABORT with ERROR_OPERATION_ABORTED for a file, that code for
// the other notifications). A service that goes on regardless gets the same answer to every later
// notification, without the object hearing of it. A part of a cabinet set that the service asks
// for twice in a row could not be opened: the second request is answered ERROR_FILE_NOT_FOUND,
// which ends the walk, where the protocol would otherwise ask for ever.
UINT CALLBACK CabIterateCallback(PVOID Context, UINT Notification, UINT_PTR Param1,
                                 UINT_PTR Param2) noexcept;

// The context a walk in `mode` (CabFile::ListMode or ExtractMode) hands the service, which gives
// it back with every notification for CabIterateCallback to pass on to the dispatcher.
PVOID ContextOf(UINT mode);

// Forgets what an earlier walk left behind; called just before a walk starts.
void BeginWalk();

// The system error with which this module ended the walk (a missing part), ERROR_SUCCESS when it
// did not. It is the walk's failure, whatever last error the service leaves behind (Wine's leaves
// ERROR_INVALID_HANDLE from its cleaning up).
DWORD WalkStopReason();

// What the dispatcher threw since the last call, which stopped the walk in progress; empty when
// nothing was thrown. The starting method throws it again once the service has returned.
std::exception_ptr TakeWalkError();

// `folder` with a trailing "\" (an empty folder gives "\").
std::string AddBackslash(const std::string& folder);

// Creates `folder` and any missing parents. False when it is empty or cannot be created. A
// trailing "\" is removed from the caller's variable.
bool MakeDirTree(std::string& folder);

}  // namespace Callback
}  // namespace vantrel
