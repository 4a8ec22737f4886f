#pragma once

// The bridge between the cabinet iteration service and CabFile objects, and the folder helpers
// extraction uses.

#include <memory>
#include <string>

#include "platform/win_types.h"

namespace vantrel {

class CabFile;

namespace Callback {

// The object that started the walk in progress, or the last one that did. Never cleared.
extern std::shared_ptr<CabFile> ActiveCab;
void SetActiveCab(std::shared_ptr<CabFile> obj);

// The function handed to SetupIterateCabinetA: forwards to ActiveCab()'s dispatcher, or answers
// 0 when there is no active object.
UINT CabIterateCallback(PVOID Context, UINT Notification, UINT_PTR Param1, UINT_PTR Param2);

// `folder` with a trailing "\" (an empty folder gives "\").
std::string AddBackslash(const std::string& folder);

// Creates `folder` and any missing parents. False when it is empty or cannot be created. A
// trailing "\" is removed from the caller's variable.
bool MakeDirTree(std::string& folder);

}  // namespace Callback
}  // namespace vantrel
