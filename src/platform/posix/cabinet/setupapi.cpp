#include "platform/setupapi.h"

#include <mspack.h>

#include <cstdint>
#include <cstring>
#include <ctime>
#include <deque>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/ansi.h"
#include "platform/cabinet_options.h"
#include "platform/folders.h"
#include "platform/kernel.h"
#include "platform/posix/cabinet/errors.h"
#include "platform/posix/cabinet/file_stamps.h"
#include "platform/posix/cabinet/io.h"
#include "platform/posix/cabinet/mszip/files_ahead.h"
#include "platform/posix/cabinet/mszip/mszip_extractor.h"
#include "platform/posix/cabinet/target.h"
#include "platform/posix/files/drives.h"
#include "shared/cab_format.h"

namespace vantrel {
namespace {

// The fixed header at the start of the file, when there is one.
std::optional<cab::Header> ReadHeader(CabIo& io) {
    unsigned char bytes[cab::kHeaderSize];
    if (io.ReadCabinetAt(0, bytes, cab::kHeaderSize) != static_cast<ssize_t>(cab::kHeaderSize)) {
        return std::nullopt;
    }
    return cab::ReadHeader(bytes);
}

bool MspackMatchesBuild() {
    static const bool matches = [] {
        int result = MSPACK_ERR_OK;
        MSPACK_SYS_SELFTEST(result);
        return result == MSPACK_ERR_OK;
    }();
    return matches;
}

// Names arrive as the cabinet stores them; one flagged UTF-8 is brought into the ANSI code page
// first, as the ANSI service does for all its text.
std::string AnsiNameOf(const mscabd_file& file) {
    if ((file.attribs & MSCAB_ATTRIB_UTF_NAME) != 0) {
        return ToAnsi(file.filename);
    }
    return file.filename;
}

// A name of a file in the same folder: no folder part, no drive, not "." or "..".
bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("\\/:") == std::string_view::npos;
}

struct FileOutcome {
    DWORD Error = ERROR_SUCCESS;
    // The cabinet itself failed (broken data, a bad checksum, a read error): its folder cannot be
    // decoded any further, so the walk cannot go on whatever the callback says.
    bool CabinetBroken = false;
};

// One walk over one cabinet, owning everything libmspack opened for it.
class CabinetWalk {
  public:
    CabinetWalk(PSP_FILE_CALLBACK_A handler, PVOID context, const CabinetOptions& options)
        : handler_(handler), context_(context), output_(options), mszip_(io_, options) {}
    ~CabinetWalk() {
        if (cabinet_ != nullptr) {
            decompressor_->close(decompressor_, cabinet_);
        }
        if (decompressor_ != nullptr) {
            mspack_destroy_cab_decompressor(decompressor_);
        }
    }
    CabinetWalk(const CabinetWalk&) = delete;
    CabinetWalk& operator=(const CabinetWalk&) = delete;

    // 0 when the walk finished, else the Windows code it failed with. Whatever it wrote is on
    // stable storage before it returns; a failed flush fails the walk as a failed write would.
    DWORD Run(std::string_view ansiCabinetPath);

  private:
    UINT Notify(UINT notification, void* record, const char* text = nullptr) noexcept;
    DWORD VisitCabinet(std::string_view ansiCabinetPath);
    DWORD OpenWithLibmspack();
    DWORD OpenCabinetFile(const std::string& hostPath, mscabd_cabinet*& cabinet);
    DWORD AnnounceCabinet(const mscabd_cabinet* cabinet, USHORT setId, USHORT number);
    DWORD GatherSet();
    DWORD AskForPart(const mscabd_cabinet& previous, std::string& folder);
    DWORD OpenPart(const std::string& ansiPath, mscabd_cabinet*& part);
    DWORD JoinPart(mscabd_cabinet& previous, mscabd_cabinet* part);
    DWORD VisitFile(mscabd_file& file);
    FileOutcome WriteFile(mscabd_file& file, std::string_view target,
                          std::optional<FilesAhead::Taken>& ahead);
    FileOutcome WriteDecodedAhead(const mscabd_file& file, FilesAhead::Taken& ahead);
    bool WritesAhead() const;

    PSP_FILE_CALLBACK_A handler_;
    PVOID context_;
    std::string ansiCabinetPath_;
    std::string ansiCabinetFolder_;
    // Host paths of the further parts of a cabinet set; libmspack keeps pointers to them.
    std::deque<std::string> partPaths_;
    CabIo io_;
    TargetFile output_;
    MszipExtractor mszip_;
    mscab_decompressor* decompressor_ = nullptr;
    mscabd_cabinet* cabinet_ = nullptr;
    FileStamps stamps_;
    bool writing_ = false;  // the callback asked for a file to be written
    // Last, so that its thread stops first.
    FilesAhead ahead_{mszip_, stamps_};
};

DWORD CabinetWalk::Run(std::string_view ansiCabinetPath) {
    const DWORD error = VisitCabinet(ansiCabinetPath);
    ahead_.Clear();
    const DWORD flushed = output_.MakeDurable();
    return error != ERROR_SUCCESS ? error : flushed;
}

DWORD CabinetWalk::VisitCabinet(std::string_view ansiCabinetPath) {
    ansiCabinetPath_ = ansiCabinetPath;
    ansiCabinetFolder_ = ansiCabinetPath_.substr(0, ansiCabinetPath_.find_last_of("\\/") + 1);
    if (ansiCabinetPath.empty()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const HostPath host = ToHostPath(FromAnsi(ansiCabinetPath));
    if (host.Error != ERROR_SUCCESS) {
        return host.Error;
    }
    if (const DWORD error = io_.OpenCabinet(ExistingEntry(host.Path).string());
        error != ERROR_SUCCESS) {
        return error;
    }
    // libmspack refuses a cabinet without folders and files, yet it is a valid one.
    if (const auto header = ReadHeader(io_); header && header->Folders == 0 && header->Files == 0) {
        return AnnounceCabinet(nullptr, header->SetId, header->Number);
    }
    if (const DWORD error = OpenWithLibmspack(); error != ERROR_SUCCESS) {
        return error;
    }
    if (const DWORD error = AnnounceCabinet(cabinet_, cabinet_->set_id, cabinet_->set_index);
        error != ERROR_SUCCESS) {
        return error;
    }
    if (const DWORD error = GatherSet(); error != ERROR_SUCCESS) {
        return error;
    }
    // In the cabinet's order, so that libmspack decodes each folder once, front to back.
    for (mscabd_file* file = cabinet_->files; file != nullptr; file = file->next) {
        ahead_.Fill(*cabinet_, *file, WritesAhead());
        if (const DWORD error = VisitFile(*file); error != ERROR_SUCCESS) {
            return error;
        }
    }
    return ERROR_SUCCESS;
}

// The callback is called here only, never from inside libmspack. It must not throw: an
// exception that escapes it ends the program here (noexcept), as a programming error, rather
// than unwinding through the walk.
UINT CabinetWalk::Notify(UINT notification, void* record, const char* text) noexcept {
    return handler_(context_, notification, reinterpret_cast<UINT_PTR>(record),
                    reinterpret_cast<UINT_PTR>(text));
}

DWORD CabinetWalk::OpenWithLibmspack() {
    if (!MspackMatchesBuild()) {
        return ERROR_TOO_MANY_OPEN_FILES;
    }
    decompressor_ = mspack_create_cab_decompressor(io_.System());
    if (decompressor_ == nullptr) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    // libmspack keeps the name pointer until the cabinet is closed; the string outlives that.
    return OpenCabinetFile(io_.CabinetPath(), cabinet_);
}

// Has libmspack read the headers of the cabinet file at `hostPath`: 0, or the Windows code of
// why it could not.
DWORD CabinetWalk::OpenCabinetFile(const std::string& hostPath, mscabd_cabinet*& cabinet) {
    io_.ResetFailure();
    cabinet = decompressor_->open(decompressor_, hostPath.c_str());
    if (cabinet != nullptr) {
        return ERROR_SUCCESS;
    }
    const DWORD error =
        CabinetErrorFromMspack(decompressor_->last_error(decompressor_), io_.Failure());
    return error != ERROR_SUCCESS ? error : ERROR_INVALID_DATA;
}

// Tells the callback a cabinet was opened. As on Windows, the record names the cabinet's folder
// and the part that follows it in its set, if any.
DWORD CabinetWalk::AnnounceCabinet(const mscabd_cabinet* cabinet, USHORT setId, USHORT number) {
    const bool hasNext = cabinet != nullptr && (cabinet->flags & MSCAB_HDR_NEXTCAB) != 0;
    CABINET_INFO_A info{ansiCabinetFolder_.c_str(), hasNext ? cabinet->nextname : "",
                        hasNext ? cabinet->nextinfo : "", setId, number};
    return Notify(SPFILENOTIFY_CABINETINFO, &info);
}

// A cabinet set is one file list over several cabinet files, each naming the next. The walk
// joins every further part before the first file, so that each file, the ones split between two
// parts included, comes out whole.
DWORD CabinetWalk::GatherSet() {
    mscabd_cabinet* last = cabinet_;
    std::string folder = ansiCabinetFolder_;
    while ((last->flags & MSCAB_HDR_NEXTCAB) != 0) {
        if (const DWORD error = AskForPart(*last, folder); error != ERROR_SUCCESS) {
            return error;
        }
        mscabd_cabinet* part = nullptr;
        if (const DWORD error = OpenPart(folder + last->nextname, part); error != ERROR_SUCCESS) {
            return error;
        }
        if (const DWORD error = JoinPart(*last, part); error != ERROR_SUCCESS) {
            return error;
        }
        if (const DWORD error = AnnounceCabinet(part, part->set_id, part->set_index);
            error != ERROR_SUCCESS) {
            return error;
        }
        last = part;
    }
    return ERROR_SUCCESS;
}

// Asks the callback where the part after `previous` lies. An answer of 0 with the path left
// empty means "in `folder`", the folder of the part before; a path given replaces `folder`.
DWORD CabinetWalk::AskForPart(const mscabd_cabinet& previous, std::string& folder) {
    // The name comes from the cabinet: it may only name a file beside it.
    if (!IsPlainFileName(previous.nextname)) {
        return ERROR_INVALID_DATA;
    }
    CABINET_INFO_A info{folder.c_str(), previous.nextname, previous.nextinfo, previous.set_id,
                        static_cast<USHORT>(previous.set_index + 1)};
    char newPath[MAX_PATH] = {};
    if (const UINT reply = Notify(SPFILENOTIFY_NEEDNEWCABINET, &info, newPath);
        reply != ERROR_SUCCESS) {
        return reply;
    }
    const std::string given(newPath, strnlen(newPath, MAX_PATH));
    if (!given.empty()) {
        folder = given.back() == '\\' || given.back() == '/' ? given : given + "\\";
    }
    return ERROR_SUCCESS;
}

DWORD CabinetWalk::OpenPart(const std::string& ansiPath, mscabd_cabinet*& part) {
    const HostPath host = ToHostPath(FromAnsi(ansiPath));
    if (host.Error != ERROR_SUCCESS) {
        return host.Error;
    }
    partPaths_.push_back(ExistingEntry(host.Path).string());
    return OpenCabinetFile(partPaths_.back(), part);
}

// Joins `part` to the set after `previous`; on failure `part` is closed here. A part must carry
// the set's number and the next cabinet number, which also keeps a set naming itself, or an
// earlier part, from going round for ever.
DWORD CabinetWalk::JoinPart(mscabd_cabinet& previous, mscabd_cabinet* part) {
    const bool follows = part->set_id == previous.set_id &&
                         part->set_index == previous.set_index + 1 &&
                         (part->flags & MSCAB_HDR_PREVCAB) != 0;
    if (follows && decompressor_->append(decompressor_, &previous, part) == MSPACK_ERR_OK) {
        return ERROR_SUCCESS;
    }
    decompressor_->close(decompressor_, part);
    return ERROR_INVALID_DATA;
}

DWORD CabinetWalk::VisitFile(mscabd_file& file) {
    const std::string name = AnsiNameOf(file);
    FILE_IN_CABINET_INFO_A info{};
    info.NameInCabinet = name.c_str();
    info.FileSize = file.length;
    info.DosDate = DosDateOf(file);
    info.DosTime = DosTimeOf(file);
    info.DosAttribs = static_cast<WORD>(file.attribs);
    const UINT answer = Notify(SPFILENOTIFY_FILEINCABINET, &info, ansiCabinetPath_.c_str());
    std::optional<FilesAhead::Taken> ahead = ahead_.Take(file);
    if (answer == FILEOP_SKIP) {
        return ERROR_SUCCESS;
    }
    // FILEOP_ABORT, and any answer the protocol does not know, ends the walk.
    if (answer != FILEOP_DOIT) {
        return info.Win32Error != ERROR_SUCCESS ? info.Win32Error : ERROR_OPERATION_ABORTED;
    }
    writing_ = true;

    const std::string target(info.FullTargetName, strnlen(info.FullTargetName, MAX_PATH));
    const FileOutcome outcome = target.size() < static_cast<size_t>(MAX_PATH)
                                    ? WriteFile(file, target, ahead)
                                    : FileOutcome{ERROR_BUFFER_OVERFLOW};
    FILEPATHS_A paths{target.c_str(), name.c_str(), outcome.Error, 0};
    const UINT reply = Notify(SPFILENOTIFY_FILEEXTRACTED, &paths);
    if (reply != ERROR_SUCCESS) {
        return reply;
    }
    return outcome.CabinetBroken ? outcome.Error : ERROR_SUCCESS;
}

FileOutcome CabinetWalk::WriteFile(mscabd_file& file, std::string_view target,
                                   std::optional<FilesAhead::Taken>& ahead) {
    if (target.empty()) {
        return {ERROR_PATH_NOT_FOUND};
    }
    const HostPath host = ToHostPath(FromAnsi(target));
    if (host.Error != ERROR_SUCCESS) {
        return {host.Error};
    }
    const std::string_view folder = target.substr(0, target.find_last_of('\\') + 1);
    if (const DWORD error = output_.SetTarget(host.Path); error != ERROR_SUCCESS) {
        return {WriteErrorInFolder(error, FromAnsi(folder))};
    }
    ahead_.Publish(file, output_.Folder());
    if (ahead) {
        return WriteDecodedAhead(file, *ahead);
    }
    if (const DWORD error = output_.Open(); error != ERROR_SUCCESS) {
        return {WriteErrorInFolder(error, FromAnsi(folder))};
    }
    if (mszip_.Extract(*cabinet_, file, output_)) {
        return {output_.Commit(stamps_.ModificationTimeOf(file))};
    }
    output_.Rewind();
    io_.ResetFailure();
    io_.ExpectOutput(output_.OpenName(), &output_);
    const int result = decompressor_->extract(decompressor_, &file, output_.OpenName().c_str());
    io_.ExpectOutput({}, nullptr);
    if (result != MSPACK_ERR_OK || output_.BytesReceived() != file.length) {
        output_.Discard();
        const DWORD error = CabinetErrorFromMspack(result, io_.Failure());
        return {error != ERROR_SUCCESS ? error : ERROR_INVALID_DATA, true};
    }
    return {output_.Commit(stamps_.ModificationTimeOf(file))};
}

// Small files are decoded ahead and written by the worker once the callback has asked for a file
// to be written (a listing walk skips them all), into a folder on tmpfs. Elsewhere creating a
// file is mostly the file system's own bookkeeping, which a second thread does not speed up: on
// ext4 a nameless file joins the file system's list of orphans when created and leaves it when
// named, both under one lock, and the worker made "many" 7 % slower (see bench/README.md).
bool CabinetWalk::WritesAhead() const {
    return writing_ && output_.NamelessFiles() && output_.Folder() && output_.Folder()->InMemory;
}

// The worker's nameless file, where it wrote one in the target's folder: the file as if written
// here, failure included. Otherwise the file is written here from the bytes decoded ahead.
FileOutcome CabinetWalk::WriteDecodedAhead(const mscabd_file& file, FilesAhead::Taken& ahead) {
    if (ahead.WrittenInto(output_.Folder()) && !NamelessFilesUnsupported(ahead.Errno())) {
        if (ahead.Errno() != 0) {
            return {WriteErrorFromErrno(ahead.Errno())};
        }
        output_.Adopt(ahead.ReleaseFd(), ahead.Size());
        return {output_.Commit(std::nullopt)};
    }
    if (const DWORD error = output_.Open(); error != ERROR_SUCCESS) {
        return {error};
    }
    output_.Write(ahead.Data(), static_cast<int>(ahead.Size()));
    return {output_.Commit(stamps_.ModificationTimeOf(file))};
}

}  // namespace

BOOL SetupIterateCabinetA(const char* CabinetFile, DWORD /*Reserved*/,
                          PSP_FILE_CALLBACK_A MsgHandler, PVOID Context) {
    if (CabinetFile == nullptr || MsgHandler == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD error = ERROR_SUCCESS;
    {
        const FolderMemory folders;
        CabinetWalk walk(MsgHandler, Context, CurrentCabinetOptions());
        try {
            error = walk.Run(CabinetFile);
        } catch (const std::bad_alloc&) {
            error = ERROR_NOT_ENOUGH_MEMORY;
        }
    }
    SetLastError(error);
    return error == ERROR_SUCCESS ? TRUE : FALSE;
}

}  // namespace vantrel
