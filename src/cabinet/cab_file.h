#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cabinet/callback.h"
#include "platform/kernel.h"
#include "platform/setupapi.h"
#include "shared/date_time.h"

namespace vantrel {

// One cabinet file: lists its contents as events (GetInfo) and extracts it to disk (Extract).
// Failures are raised as RaisedError with the Sources "CabFile", "CabFile.GetInfo" and
// "CabFile.CabCallBack". Objects are shared: the Callback module keeps the last one that started
// a walk alive.
class CabFile : public std::enable_shared_from_this<CabFile> {
  public:
    // Number raised when an action is attempted before CabName was set.
    static constexpr std::int32_t CabObjectError = -2147219548;  // 0x800407A4

    // Context numbers handed to the iteration service.
    static constexpr UINT ListMode = 1;
    static constexpr UINT ExtractMode = 2;

    static std::shared_ptr<CabFile> Create();

    // Full Windows path of the cabinet file. Not validated when set.
    const std::string& CabName() const { return m_CabName; }
    void SetCabName(std::string name) { m_CabName = std::move(name); }

    // Lists the cabinet: one FileFound per file. The argument is not consulted. False, after a
    // message box, when CabName is empty ("Error!") or the walk failed ("Error22").
    bool GetInfo(const std::string& FileToInvestigate);

    // Extracts every file of the cabinet under OutputPath (or the cabinet's folder when empty),
    // to OutputFile when that is not empty. FileToExtract is not consulted. Always True; every
    // failure is raised.
    bool Extract(const std::string& FileToExtract, const std::string& OutputPath,
                 const std::string& OutputFile);

    // Files the last Extract did not write for a reason of its own (a name that would leave the
    // output folder, a folder that could not be created), by their names inside the cabinet.
    // Files a BeforeExtract handler cancelled are not counted.
    const std::vector<std::string>& NotWritten() const { return m_NotWritten; }

    // Events. A handler may throw; the error then ends the walk and reaches the caller once the
    // service has returned.
    std::function<void(const std::string& FileName, const DateTime& DateTime, std::int32_t Size,
                       const std::string& Path)>
        FileFound;
    std::function<void(const std::string& FileName, bool& Cancel)> BeforeExtract;
    std::function<void(const std::string& FileName)> AfterExtract;

    // Error texts. Win32ErrorText is the program's one table of system error texts
    // (shared/system_error_text.h).
    static std::string CabErrorText(std::int32_t Number);
    static std::string Win32ErrorText(std::int32_t Code);

  private:
    friend UINT CALLBACK Callback::CabIterateCallback(PVOID Context, UINT Notification,
                                                      UINT_PTR Param1, UINT_PTR Param2) noexcept;

    CabFile() = default;

    UINT CabCallBack(UINT Context, UINT Notification, UINT_PTR Param1, UINT_PTR Param2);
    UINT OnFileInfo(const FILE_IN_CABINET_INFO_A& record);
    UINT OnFileExtract(FILE_IN_CABINET_INFO_A& record);
    UINT OnFileExtracted(const FILEPATHS_A& record);
    std::string TargetPath(const std::string& name) const;
    static std::string FolderOf(const std::string& path);
    static void CopyToTargetBuffer(FILE_IN_CABINET_INFO_A& record, const std::string& target);
    static std::string AnsiPtrToString(const char* pointer);
    static DateTime FileTimeToDate(const FILETIME& fileTime);
    static DateTime SystemTimeToDate(const SYSTEMTIME& systemTime);

    std::string m_CabName;
    std::string m_OutputPath;
    std::string m_OutputFile;
    std::vector<std::string> m_NotWritten;
};

}  // namespace vantrel
