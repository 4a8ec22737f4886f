#pragma once

// The small files of MSZIP folders, decoded ahead of the walk and written on a second thread
// (see small_file_worker.h) before the callback is asked about them.
//
// The callback hears of each file in the cabinet's order, and of its being written before it
// hears of the next; so the file cannot be named before, nor its successors asked about. What
// can be done early is everything else: before the walk offers a file, the small files from it
// on are decoded into memory, in the order the walk would decode them, and handed to the worker,
// which writes each into a nameless file in the folder the files of its group went to. When the
// callback asks for a file to be written, the walk takes it from here and gives it its name; a
// file it skips is dropped. A file that was not written ahead, or not where its target lies, is
// written by the walk from the decoded bytes, as if decoded just then.
//
// Decoding ahead stops before any file the fast path does not take, a large file or one
// libmspack is to extract: the walk extracts it itself when it gets there, with the decoder
// where it would have been.

#include <mspack.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <utility>

#include "platform/posix/cabinet/file_stamps.h"
#include "platform/posix/cabinet/mszip/mszip_extractor.h"
#include "platform/posix/cabinet/output_folders.h"
#include "platform/posix/cabinet/small_file_worker.h"

namespace vantrel {

class FilesAhead {
  public:
    FilesAhead(MszipExtractor& mszip, FileStamps& stamps) : mszip_(mszip), stamps_(stamps) {}

    // Decodes ahead from `file` on, the file the walk offers next, unless enough are held.
    // Nothing is decoded ahead while `enabled` is false.
    void Fill(const mscabd_cabinet& cabinet, const mscabd_file& file, bool enabled);

    // A file decoded ahead, taken by the walk. The nameless file the worker wrote, if any, is
    // closed with it unless taken over.
    class Taken {
      public:
        Taken(SmallFileWorker& worker, SmallFileWorker::Taken taken)
            : worker_(&worker), taken_(std::move(taken)) {}
        ~Taken();
        Taken(Taken&& other) noexcept
            : worker_(std::exchange(other.worker_, nullptr)), taken_(std::move(other.taken_)) {}
        Taken(const Taken&) = delete;
        Taken& operator=(const Taken&) = delete;
        Taken& operator=(Taken&&) = delete;

        const unsigned char* Data() const { return taken_.Data; }
        std::size_t Size() const { return taken_.Size; }
        // The worker wrote it into `folder`: the file, or the errno of the failure.
        bool WrittenInto(const std::shared_ptr<const OutputFolder>& folder) const {
            return taken_.Folder && taken_.Folder == folder;
        }
        int Errno() const { return taken_.Errno; }
        int ReleaseFd() { return std::exchange(taken_.Fd, -1); }

      private:
        SmallFileWorker* worker_;
        SmallFileWorker::Taken taken_;
    };

    // `file` as decoded ahead, when it was.
    std::optional<Taken> Take(const mscabd_file& file);

    // The files of `file`'s group go into `folder` from now on, as far as they are written ahead.
    void Publish(const mscabd_file& file, const std::shared_ptr<const OutputFolder>& folder);

    // Gives up every file held.
    void Clear();

  private:
    bool StartWorker(const mscabd_cabinet& cabinet, const mscabd_file& file);
    // Whether a file was decoded and handed to the worker; else whether the worker is full, or
    // decoding ahead has to stop at this file.
    enum Outcome { kHeld, kFull, kStopped };
    Outcome Decode(const mscabd_cabinet& cabinet, const mscabd_file& file);

    MszipExtractor& mszip_;
    FileStamps& stamps_;
    std::unique_ptr<SmallFileWorker> worker_;
    bool workerFailed_ = false;
    // The files held, in the cabinet's order from the one the walk offers next; the next to
    // decode.
    const mscabd_file* held_[SmallFileWorker::kJobs] = {};
    std::size_t firstHeld_ = 0;
    const mscabd_file* next_ = nullptr;
};

}  // namespace vantrel
