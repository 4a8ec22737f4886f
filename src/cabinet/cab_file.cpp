#include "cabinet/cab_file.h"

#include <cstring>
#include <exception>
#include <iterator>
#include <new>
#include <string_view>

#include "cabinet/safe_name.h"
#include "platform/ansi.h"
#include "platform/kernel.h"
#include "platform/message_box.h"
#include "shared/raised_error.h"
#include "shared/runtime_error.h"
#include "shared/split_path.h"
#include "shared/system_error_text.h"

namespace vantrel {
namespace {

constexpr const char* kClassSource = "CabFile";
constexpr const char* kGetInfoSource = "CabFile.GetInfo";
constexpr const char* kCabCallBackSource = "CabFile.CabCallBack";

// Raised when a walk failed but the service left no reason: 0 is no error number, and "the data
// could not be read" is the most likely truth.
constexpr DWORD kUnexplainedWalkFailure = ERROR_INVALID_DATA;

// The exception in flight as a RaisedError. Errors of our own keep their Source unless a new one
// is given; anything else (out of memory, a handler throwing a standard exception) becomes a
// RaisedError, so callers only ever have one kind of failure to handle.
[[noreturn]] void RaiseAgain(const char* newSource) {
    const char* source = newSource != nullptr ? newSource : kClassSource;
    try {
        throw;
    } catch (const RaisedError& error) {
        if (newSource == nullptr) {
            throw;
        }
        throw error.WithSource(newSource);
    } catch (const std::bad_alloc&) {
        RuntimeError::Raise(RuntimeError::OutOfMemory, source);
    } catch (const std::exception& error) {
        const std::string_view what = error.what();
        if (what.empty()) {
            RuntimeError::Raise(RuntimeError::InternalError, source);
        }
        throw RaisedError(RuntimeError::InternalError, source, std::string(what));
    } catch (...) {
        RuntimeError::Raise(RuntimeError::InternalError, source);
    }
}

// Walks the cabinet. What a handler threw stopped the walk and is thrown again here, ahead of
// the walk's own result: the failure the service reports then is only the stop. The last error
// is cleared first, so that a failed walk never reports what an earlier call left behind.
BOOL IterateCabinet(const std::string& cabName, UINT mode) {
    const std::string ansiName = ToAnsi(cabName);
    Callback::BeginWalk();
    SetLastError(ERROR_SUCCESS);
    const BOOL walked = SetupIterateCabinetA(ansiName.c_str(), 0, Callback::CabIterateCallback,
                                             Callback::ContextOf(mode));
    if (const std::exception_ptr thrown = Callback::TakeWalkError()) {
        std::rethrow_exception(thrown);
    }
    return walked;
}

// Why the walk failed: the reason the callback gave the service for ending it, else the
// service's last error.
DWORD WalkFailure() {
    const DWORD lastError = GetLastError();
    const DWORD given = Callback::WalkStopReason();
    const DWORD code = given != ERROR_SUCCESS ? given : lastError;
    return code != ERROR_SUCCESS ? code : kUnexplainedWalkFailure;
}

}  // namespace

std::shared_ptr<CabFile> CabFile::Create() {
    return std::shared_ptr<CabFile>(new CabFile());
}

bool CabFile::GetInfo(const std::string& /*FileToInvestigate: every file is reported*/) {
    try {
        if (m_CabName.empty()) {
            MsgBox("Error!");
            return false;
        }
        Callback::SetActiveCab(shared_from_this());
        if (IterateCabinet(m_CabName, ListMode) == FALSE) {
            MsgBox("Error22");
            return false;
        }
        return true;
    } catch (...) {
        RaiseAgain(kGetInfoSource);
    }
}

bool CabFile::Extract(const std::string& /*FileToExtract: every file is extracted*/,
                      const std::string& OutputPath, const std::string& OutputFile) {
    try {
        m_NotWritten.clear();
        if (m_CabName.empty()) {
            throw RaisedError(CabObjectError, kClassSource, CabErrorText(CabObjectError));
        }
        Callback::SetActiveCab(shared_from_this());
        m_OutputPath = OutputPath;
        m_OutputFile = OutputFile;
        if (IterateCabinet(m_CabName, ExtractMode) == FALSE) {
            const auto number = static_cast<std::int32_t>(WalkFailure());
            throw RaisedError(number, kClassSource, Win32ErrorText(number));
        }
        return true;
    } catch (...) {
        RaiseAgain(nullptr);
    }
}

UINT CabFile::CabCallBack(UINT Context, UINT Notification, UINT_PTR Param1, UINT_PTR /*Param2*/) {
    try {
        if (Param1 == 0) {
            return 0;  // every notification we act on carries a record
        }
        switch (Notification) {
            case SPFILENOTIFY_FILEINCABINET: {
                auto& record = *reinterpret_cast<FILE_IN_CABINET_INFO_A*>(Param1);
                if (Context == ListMode) {
                    return OnFileInfo(record);
                }
                if (Context == ExtractMode) {
                    return OnFileExtract(record);
                }
                // Walks are only started with the two modes above; should another context ever
                // arrive, writing nothing is the safe answer.
                return FILEOP_SKIP;
            }
            case SPFILENOTIFY_FILEEXTRACTED:
                return OnFileExtracted(*reinterpret_cast<const FILEPATHS_A*>(Param1));
            default:
                return 0;
        }
    } catch (...) {
        RaiseAgain(kCabCallBackSource);
    }
}

UINT CabFile::OnFileInfo(const FILE_IN_CABINET_INFO_A& record) {
    const std::string name = AnsiPtrToString(record.NameInCabinet);
    const SplitPathResult parts = SplitPath(name);
    // An invalid stamp leaves the zero file time, which reads as 1601-01-01 00:00:00.
    FILETIME fileTime{};
    DosDateTimeToFileTime(record.DosDate, record.DosTime, &fileTime);
    const DateTime date = FileTimeToDate(fileTime);
    if (FileFound) {
        FileFound(parts.FileName, date, static_cast<std::int32_t>(record.FileSize), parts.Folder);
    }
    return FILEOP_SKIP;
}

UINT CabFile::OnFileExtract(FILE_IN_CABINET_INFO_A& record) {
    try {
        const std::string name = AnsiPtrToString(record.NameInCabinet);
        bool cancel = false;
        if (BeforeExtract) {
            BeforeExtract(name, cancel);
        }
        if (cancel) {
            return FILEOP_SKIP;
        }
        // A name that would climb out of the output folder is never joined to it.
        if (!IsSafeRelativeName(name)) {
            m_NotWritten.push_back(name);
            return FILEOP_SKIP;
        }
        const std::string target = TargetPath(name);
        std::string folder = SplitPath(target).Folder;
        if (!Callback::MakeDirTree(folder)) {
            m_NotWritten.push_back(name);
            return FILEOP_SKIP;
        }
        CopyToTargetBuffer(record, target);
        return FILEOP_DOIT;
    } catch (...) {
        RaiseAgain(nullptr);
    }
}

UINT CabFile::OnFileExtracted(const FILEPATHS_A& record) {
    const FILEPATHS_A paths = record;
    // Only the low word carries the system error code; the service may set bits above it.
    const auto error = static_cast<std::int16_t>(paths.Win32Error & 0xFFFF);
    if (error == 0 && AfterExtract) {
        AfterExtract(AnsiPtrToString(paths.Target));
    }
    return static_cast<UINT>(static_cast<std::int32_t>(error));
}

std::string CabFile::TargetPath(const std::string& name) const {
    std::string base = !m_OutputPath.empty() ? m_OutputPath : FolderOf(m_CabName);
    if (base.empty()) {
        // A cabinet named without a folder lies in the current folder; "\" alone would be the
        // root of the drive instead.
        base = ".";
    }
    const std::string& leaf = !m_OutputFile.empty() ? m_OutputFile : name;
    return Callback::AddBackslash(base) + leaf;
}

std::string CabFile::FolderOf(const std::string& path) {
    return SplitPath(path).Folder;
}

void CabFile::CopyToTargetBuffer(FILE_IN_CABINET_INFO_A& record, const std::string& target) {
    const std::string bytes = ToAnsi(target);
    const std::size_t capacity = std::size(record.FullTargetName);
    const auto store = [&](std::size_t position, char byte) {
        if (position >= capacity) {
            RuntimeError::Raise(RuntimeError::SubscriptOutOfRange, kClassSource);
        }
        record.FullTargetName[position] = byte;
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        store(i, bytes[i]);
    }
    store(bytes.size(), '\0');
}

std::string CabFile::AnsiPtrToString(const char* pointer) {
    if (pointer == nullptr) {
        return {};
    }
    return FromAnsi(std::string_view(pointer, std::strlen(pointer)));
}

DateTime CabFile::FileTimeToDate(const FILETIME& fileTime) {
    SYSTEMTIME systemTime{};
    if (FileTimeToSystemTime(&fileTime, &systemTime) == FALSE) {
        return DateTime::Zero();
    }
    return SystemTimeToDate(systemTime);
}

DateTime CabFile::SystemTimeToDate(const SYSTEMTIME& systemTime) {
    return {systemTime.wYear, systemTime.wMonth,  systemTime.wDay,
            systemTime.wHour, systemTime.wMinute, systemTime.wSecond};
}

std::string CabFile::CabErrorText(std::int32_t Number) {
    if (Number == CabObjectError) {
        return "You must set the CabName property before taking any action on the CabFile "
               "object.";
    }
    return "Unknown error.";
}

std::string CabFile::Win32ErrorText(std::int32_t Code) {
    return SystemErrorText(Code);
}

}  // namespace vantrel
