#include "platform/posix/cabinet/small_file_worker.h"

#include <unistd.h>

#include "platform/posix/cabinet/target.h"
#include "platform/posix/cabinet/worker_threads.h"

namespace vantrel {

SmallFileWorker::SmallFileWorker() : bytes_(new unsigned char[kBytes]) {
    // The thread copies groups into this, and must never allocate.
    workerGroup_.reserve(kLongestGroup);
}

SmallFileWorker::~SmallFileWorker() {
    if (thread_.joinable()) {
        stopping_ = true;
        WakeWorker();
        thread_.join();
    }
    for (std::uint64_t number = taken_; number < posted_; ++number) {
        if (JobAt(number).State == kDone && JobAt(number).Fd >= 0) {
            ::close(JobAt(number).Fd);
        }
    }
}

bool SmallFileWorker::Start() noexcept {
    return StartOnce(thread_, [this] { Run(); });
}

// The bytes are taken and given back in the same order, as in a ring; a file's bytes lie in one
// piece, at the head or, when they do not fit before the end, from the start.
std::optional<std::size_t> SmallFileWorker::RoomFor(std::size_t size) const {
    if (used_ == 0) {
        return kBytes - head_ >= size ? head_ : 0;
    }
    if (head_ > tail_) {
        if (kBytes - head_ >= size) {
            return head_;
        }
        return tail_ >= size ? std::optional<std::size_t>(0) : std::nullopt;
    }
    if (head_ < tail_ && tail_ - head_ >= size) {
        return head_;
    }
    return std::nullopt;
}

unsigned char* SmallFileWorker::Reserve(std::size_t size) {
    // A slot is filled again only once the thread has passed the file that held it.
    if (posted_ - taken_ >= kJobs || posted_ - workerNext_.load() >= kJobs || size > kBytes) {
        return nullptr;
    }
    const auto at = RoomFor(size);
    if (!at) {
        return nullptr;
    }
    reserved_ = *at;
    return bytes_.get() + *at;
}

void SmallFileWorker::Post(std::size_t size, std::string_view group,
                           std::optional<time_t> modified) {
    Job& job = JobAt(posted_);
    job.Begin = reserved_;
    job.Size = size;
    job.Group.assign(group);
    job.Modified = modified;
    job.Folder.reset();
    job.Fd = -1;
    job.Errno = 0;
    job.State.store(kPosted, std::memory_order_relaxed);
    if (size > 0) {
        if (used_ == 0) {
            tail_ = reserved_;
        }
        head_ = reserved_ + size;
        used_ += size;
    }
    ++posted_;
}

void SmallFileWorker::Flush(bool moreSoon) {
    moreSoon_ = moreSoon;
    if (visible_.load(std::memory_order_relaxed) != posted_) {
        visible_.store(posted_);
        WakeWorker();
    }
}

void SmallFileWorker::Publish(std::string_view group,
                              const std::shared_ptr<const OutputFolder>& folder) {
    if (group.size() > kLongestGroup) {
        return;  // longer than a name in a cabinet can be: the walk writes such files itself
    }
    std::size_t slot = nextPublication_;
    if (const auto known = PublishedSlotOf(group)) {
        if (published_[*known].Folder == folder.get()) {
            return;
        }
        slot = *known;
    } else {
        nextPublication_ = (nextPublication_ + 1) % kPublications;
    }
    published_[slot].Group.assign(group);
    published_[slot].Folder = folder.get();
    {
        const std::lock_guard lock(mutex_);
        shared_[slot] = {std::string(group), folder};
        ++publications_;
    }
    workerWake_.notify_one();
}

std::optional<std::size_t> SmallFileWorker::PublishedSlotOf(std::string_view group) const {
    for (std::size_t slot = 0; slot < kPublications; ++slot) {
        if (published_[slot].Folder != nullptr && published_[slot].Group == group) {
            return slot;
        }
    }
    return std::nullopt;
}

SmallFileWorker::Taken SmallFileWorker::Take() {
    Job& job = JobAt(taken_);
    // The thread, awake and knowing the file's folder, is about to write it: a moment's wait
    // spares writing it here. Beyond that the walk does not wait for a file the thread has not
    // begun, and writes it itself: the thread may be asleep, or find no free core on a busy
    // machine.
    constexpr int kMomentSpins = 200;
    if (!workerAsleep_.load() && PublishedSlotOf(job.Group)) {
        SpinUntil([&job] { return job.State.load() != kPosted; }, kMomentSpins);
    }
    for (;;) {
        int state = kPosted;
        if (job.State.compare_exchange_strong(state, kClaimed)) {
            WakeWorker();  // it may be waiting for this file's folder
            break;
        }
        if (state == kDone) {
            break;
        }
        WaitWhileWriting(job);
    }
    Taken taken{bytes_.get() + job.Begin, job.Size, nullptr, -1, 0};
    if (job.State.load(std::memory_order_acquire) == kDone) {
        taken.Folder = std::move(job.Folder);
        taken.Fd = job.Fd;
        taken.Errno = job.Errno;
        job.Fd = -1;
    }
    return taken;
}

void SmallFileWorker::Release() {
    const Job& job = JobAt(taken_++);
    if (job.Size == 0) {
        return;
    }
    used_ -= job.Size;
    for (std::uint64_t number = taken_; used_ > 0 && number < posted_; ++number) {
        if (JobAt(number).Size > 0) {
            tail_ = JobAt(number).Begin;
            break;
        }
    }
}

void SmallFileWorker::WakeWorker() {
    Wake(workerAsleep_, workerWake_);
}

void SmallFileWorker::WakeWalk() {
    Wake(walkAsleep_, walkWake_);
}

// Wakes the thread that said it is going to sleep on `wake`, after the change it waits for: the
// lock is taken only to wait until it sleeps.
void SmallFileWorker::Wake(const std::atomic<bool>& asleep, std::condition_variable& wake) {
    if (asleep.load()) {
        { const std::lock_guard lock(mutex_); }
        wake.notify_one();
    }
}

// Waits until `ready`, awake for a while, then asleep on `wake` after saying so in `asleep`.
template <typename Ready>
void SmallFileWorker::WaitUntil(Ready ready, std::atomic<bool>& asleep,
                                std::condition_variable& wake, bool awakeFirst) {
    if (awakeFirst && SpinUntil(ready)) {
        return;
    }
    std::unique_lock lock(mutex_);
    asleep = true;
    wake.wait(lock, ready);
    asleep = false;
}

void SmallFileWorker::WaitWhileWriting(Job& job) {
    WaitUntil([&job] { return job.State.load() != kWriting; }, walkAsleep_, walkWake_);
}

template <typename Ready>
void SmallFileWorker::WorkerWaitFor(Ready ready) {
    WaitUntil(ready, workerAsleep_, workerWake_);
}

// The folder published for the job's group, if any.
std::shared_ptr<const OutputFolder> SmallFileWorker::FolderFor(const Job& job) {
    const std::lock_guard lock(mutex_);
    for (const auto& publication : shared_) {
        if (publication.Folder && publication.Group == job.Group) {
            return publication.Folder;
        }
    }
    return nullptr;
}

void SmallFileWorker::Run() noexcept {
    std::uint64_t next = 0;
    std::shared_ptr<const OutputFolder> cachedFolder;
    std::uint64_t cachedAt = ~std::uint64_t{0};
    for (;;) {
        WaitUntil([&] { return stopping_.load() || visible_.load() > next; }, workerAsleep_,
                  workerWake_, moreSoon_.load());
        if (stopping_) {
            return;
        }
        Job& job = JobAt(next);
        int state = kPosted;
        if (!job.State.compare_exchange_strong(state, kWriting)) {
            workerNext_ = ++next;  // taken by the walk meanwhile
            continue;
        }
        const std::uint64_t seen = publications_.load();
        if (seen != cachedAt || job.Group != workerGroup_) {
            cachedFolder = FolderFor(job);
            workerGroup_.assign(job.Group, 0, kLongestGroup);
            cachedAt = seen;
        }
        if (!cachedFolder) {
            // Not known yet: the walk publishes it, or takes the file, whichever comes first.
            job.State = kPosted;
            WakeWalk();
            WorkerWaitFor([&] {
                return stopping_.load() || publications_.load() != seen ||
                       job.State.load() != kPosted;
            });
            continue;
        }
        Write(job, cachedFolder);
        workerNext_ = ++next;
    }
}

void SmallFileWorker::Write(Job& job, const std::shared_ptr<const OutputFolder>& folder) noexcept {
    const NamelessFile file =
        WriteNamelessFile(*folder, bytes_.get() + job.Begin, job.Size, job.Modified);
    job.Folder = folder;
    job.Fd = file.Fd;
    job.Errno = file.Errno;
    job.State.store(kDone);
    WakeWalk();
}

}  // namespace vantrel
