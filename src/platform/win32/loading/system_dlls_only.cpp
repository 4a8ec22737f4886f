// Linked into each Windows program: the DLLs it loads come from the system folder only, never
// from the program's own folder (a Downloads folder, say, where anyone may have left a DLL of a
// system DLL's name) nor from the current one.

#include <windows.h>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

// The loader's configuration, which the linker points the image at: for the DLLs the program
// imports, and those they import in turn, the system folder only (what the Windows linker's
// /DEPENDENTLOADFLAG sets; the field is called Reserved1 in MinGW-w64's headers). Windows 10
// and later read it; Windows' own DLLs the program imports are known DLLs there anyway.
extern "C" const IMAGE_LOAD_CONFIG_DIRECTORY64 _load_config_used = {
    .Size = sizeof(IMAGE_LOAD_CONFIG_DIRECTORY64),
    .TimeDateStamp = 0,
    .MajorVersion = 0,
    .MinorVersion = 0,
    .GlobalFlagsClear = 0,
    .GlobalFlagsSet = 0,
    .CriticalSectionDefaultTimeout = 0,
    .DeCommitFreeBlockThreshold = 0,
    .DeCommitTotalFreeThreshold = 0,
    .LockPrefixTable = 0,
    .MaximumAllocationSize = 0,
    .VirtualMemoryThreshold = 0,
    .ProcessAffinityMask = 0,
    .ProcessHeapFlags = 0,
    .CSDVersion = 0,
    .Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32,
    .EditList = 0,
    .SecurityCookie = 0,
    .SEHandlerTable = 0,
    .SEHandlerCount = 0,
};

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// Every later LoadLibrary, ours or a system DLL's on our behalf (the theme, the accessibility
// library), searches the system folder only. Run before any other constructor of the program.
// Windows 7 without update KB2533623 lacks the function; there the current folder at least is
// taken out of the search.
[[gnu::constructor(101)]] void SearchTheSystemFolderOnly() {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto restrict = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (restrict == nullptr || !restrict(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        SetDllDirectoryW(L"");
    }
}

}  // namespace
