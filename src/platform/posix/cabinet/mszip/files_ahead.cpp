#include "platform/posix/cabinet/mszip/files_ahead.h"

#include <unistd.h>

#include <cstring>
#include <new>
#include <string_view>

namespace vantrel {
namespace {

// Decoding ahead resumes once this few files are left, so that each round decodes a batch.
constexpr std::size_t kRefillBelow = 16;
// Files are handed to the worker this many at a time.
constexpr std::size_t kBatch = 8;

// The folder part of the file's name in the cabinet: files that share it are written into one
// folder, wherever the callback puts them.
std::string_view GroupOf(const mscabd_file& file) {
    const std::string_view name = file.filename;
    const std::size_t separator = name.find_last_of("\\/");
    return separator == std::string_view::npos ? std::string_view() : name.substr(0, separator);
}

// The room the worker gave for one file's bytes.
class MemorySink final : public HostFile {
  public:
    MemorySink(unsigned char* room, std::size_t size) : room_(room), size_(size) {}

    std::size_t Filled() const { return filled_; }

    int Read(void*, int) noexcept override { return -1; }
    int Write(const void* data, int bytes) noexcept override {
        if (bytes < 0 || static_cast<std::size_t>(bytes) > size_ - filled_) {
            filled_ = size_ + 1;  // never complete
            return -1;
        }
        std::memcpy(room_ + filled_, data, static_cast<std::size_t>(bytes));
        filled_ += static_cast<std::size_t>(bytes);
        return bytes;
    }
    int Seek(off_t, int) noexcept override { return -1; }
    off_t Tell() const noexcept override { return static_cast<off_t>(filled_); }
    void Close() noexcept override {}

  private:
    unsigned char* room_;
    std::size_t size_;
    std::size_t filled_ = 0;
};

}  // namespace

FilesAhead::Taken::~Taken() {
    if (worker_ == nullptr) {
        return;
    }
    if (taken_.Fd >= 0) {
        ::close(taken_.Fd);
    }
    worker_->Release();
}

void FilesAhead::Fill(const mscabd_cabinet& cabinet, const mscabd_file& file, bool enabled) {
    if (!enabled || !StartWorker(cabinet, file)) {
        return;
    }
    if (worker_->Held() > 0 && held_[firstHeld_] != &file) {
        Clear();  // the walk went past files held; cannot happen, and must not go wrong
        return;
    }
    if (worker_->Held() == 0) {
        next_ = &file;
    } else if (worker_->Held() >= kRefillBelow) {
        return;
    }
    std::size_t decoded = 0;
    Outcome outcome = kStopped;
    while (next_ != nullptr && (outcome = Decode(cabinet, *next_)) == kHeld) {
        next_ = next_->next;
        if (++decoded % kBatch == 0) {
            worker_->Flush(true);
        }
    }
    worker_->Flush(outcome == kFull);
}

// The worker, started for the first small file the fast path takes: a cabinet of large files
// never needs it.
bool FilesAhead::StartWorker(const mscabd_cabinet& cabinet, const mscabd_file& file) {
    if (worker_ || workerFailed_) {
        return !workerFailed_;
    }
    if (file.length >= MszipExtractor::kLargeFile || !mszip_.Handles(cabinet, file)) {
        return false;
    }
    try {
        worker_ = std::make_unique<SmallFileWorker>();
    } catch (const std::bad_alloc&) {
        // Without the worker's memory, the walk writes every file itself.
    }
    if (!worker_ || !worker_->Start()) {
        worker_.reset();
        workerFailed_ = true;
    }
    return !workerFailed_;
}

FilesAhead::Outcome FilesAhead::Decode(const mscabd_cabinet& cabinet, const mscabd_file& file) {
    if (file.length >= MszipExtractor::kLargeFile || !mszip_.Handles(cabinet, file)) {
        return kStopped;
    }
    const std::size_t held = worker_->Held();
    unsigned char* room = worker_->Reserve(file.length);
    if (room == nullptr) {
        return kFull;
    }
    MemorySink sink(room, file.length);
    if (!mszip_.Extract(cabinet, file, sink) || sink.Filled() != file.length) {
        return kStopped;
    }
    worker_->Post(file.length, GroupOf(file), stamps_.ModificationTimeOf(file));
    held_[(firstHeld_ + held) % SmallFileWorker::kJobs] = &file;
    return kHeld;
}

std::optional<FilesAhead::Taken> FilesAhead::Take(const mscabd_file& file) {
    if (!worker_ || worker_->Held() == 0 || held_[firstHeld_] != &file) {
        return std::nullopt;
    }
    firstHeld_ = (firstHeld_ + 1) % SmallFileWorker::kJobs;
    return Taken(*worker_, worker_->Take());
}

void FilesAhead::Publish(const mscabd_file& file,
                         const std::shared_ptr<const OutputFolder>& folder) {
    if (worker_ && folder && folder->InMemory) {
        worker_->Publish(GroupOf(file), folder);
    }
}

void FilesAhead::Clear() {
    worker_.reset();
    firstHeld_ = 0;
    next_ = nullptr;
}

}  // namespace vantrel
