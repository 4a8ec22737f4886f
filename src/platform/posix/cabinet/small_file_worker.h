#pragma once

// Writes small files, decoded ahead of the walk, into nameless files on a second thread: each is
// created, written and stamped there (WriteNamelessFile) while the walk's thread decodes the
// next ones and talks to the callback; the walk then only gives each file its name, when the
// callback has named its target. Creating a file is the kernel's work, decoding the process's
// own, and the two then run side by side on two cores.
//
// The walk posts files in the cabinet's order and takes them in that order. A file's folder is
// not known before the callback names its target, so each file carries a group, the folder part
// of its name in the cabinet: the walk publishes the folder it wrote a group's last file to, and
// the thread writes the group's next files there. A file whose group has no folder yet waits;
// the walk, reaching it, takes it unwritten and writes it itself, as it does with any file the
// thread has not begun when the walk needs it: the two share the work as their cores allow.
// Whatever the thread did is checked by the walk: a file written into another folder than its
// target's is thrown away.
//
// Memory is bounded: at most kJobs files and kBytes of their bytes are held at a time. A file
// the thread wrote has no name; what the walk never took is closed and gone, after a crash too.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/posix/cabinet/output_folders.h"

namespace vantrel {

class SmallFileWorker {
  public:
    static constexpr std::size_t kJobs = 64;
    static constexpr std::size_t kBytes = 256 * 1024;

    SmallFileWorker();
    // Stops the thread; files not taken are closed.
    ~SmallFileWorker();
    SmallFileWorker(const SmallFileWorker&) = delete;
    SmallFileWorker& operator=(const SmallFileWorker&) = delete;

    // Starts the thread, once; false when there is none.
    bool Start() noexcept;

    // Room for the bytes of one more file of `size` bytes, to be filled before Post; null when
    // the files held already take too much.
    unsigned char* Reserve(std::size_t size);
    // Queues the file whose `size` bytes fill the room Reserve gave last, to be written into the
    // folder of `group`, with `modified` as its modification time. The thread sees it after
    // the next Flush.
    void Post(std::size_t size, std::string_view group, std::optional<time_t> modified);
    // `moreSoon`: more files follow as soon as the walk takes some; else the thread, once done,
    // sleeps at once rather than wait awake, so that it takes no core from the walk's other work
    // (a large file, written on a thread of its own).
    void Flush(bool moreSoon);
    // Files posted and not taken.
    std::size_t Held() const { return posted_ - taken_; }

    // The files of `group` go into `folder` from now on.
    void Publish(std::string_view group, const std::shared_ptr<const OutputFolder>& folder);

    struct Taken {
        const unsigned char* Data = nullptr;
        std::size_t Size = 0;
        // Where the thread wrote the file, if it did: the nameless file in `Folder`, or the errno
        // of the failure. Fd belongs to the taker.
        std::shared_ptr<const OutputFolder> Folder;
        int Fd = -1;
        int Errno = 0;
    };
    // Takes the oldest file held, as the thread left it: written, or (after waiting while it is
    // being written) not begun, and then left alone by the thread from now on. Its bytes stay
    // valid until Release.
    Taken Take();
    void Release();

  private:
    enum State : int { kPosted, kWriting, kDone, kClaimed };
    struct Job {
        std::atomic<int> State = kPosted;
        std::size_t Begin = 0;
        std::size_t Size = 0;
        std::string Group;
        std::optional<time_t> Modified;
        std::shared_ptr<const OutputFolder> Folder;
        int Fd = -1;
        int Errno = 0;
    };
    struct Publication {
        std::string Group;
        std::shared_ptr<const OutputFolder> Folder;
    };

    Job& JobAt(std::uint64_t number) { return jobs_[number % kJobs]; }
    std::optional<std::size_t> RoomFor(std::size_t size) const;
    std::optional<std::size_t> PublishedSlotOf(std::string_view group) const;
    void Run() noexcept;
    void Write(Job& job, const std::shared_ptr<const OutputFolder>& folder) noexcept;
    std::shared_ptr<const OutputFolder> FolderFor(const Job& job);
    template <typename Ready>
    void WaitUntil(Ready ready, std::atomic<bool>& asleep, std::condition_variable& wake,
                   bool awakeFirst = true);
    template <typename Ready>
    void WorkerWaitFor(Ready ready);
    void WakeWorker();
    void WakeWalk();
    void Wake(const std::atomic<bool>& asleep, std::condition_variable& wake);
    void WaitWhileWriting(Job& job);

    std::unique_ptr<unsigned char[]> bytes_;
    Job jobs_[kJobs];

    // The walk's side: read and written by the walk's thread alone.
    std::uint64_t reserved_ = 0;  // the room Reserve gave last
    std::uint64_t posted_ = 0;
    std::uint64_t taken_ = 0;
    std::size_t head_ = 0;  // where the next file's bytes go
    std::size_t tail_ = 0;  // where the oldest file's bytes begin, when any are held
    std::size_t used_ = 0;
    // The walk's copy of what it published, slot for slot.
    struct Published {
        std::string Group;
        const OutputFolder* Folder = nullptr;
    };
    static constexpr std::size_t kPublications = 4;
    // The folder part of a name in a cabinet is shorter.
    static constexpr std::size_t kLongestGroup = 256;
    Published published_[kPublications];
    std::size_t nextPublication_ = 0;

    // Shared. A thread about to sleep says so, and the other wakes it after changing what it
    // waits for; the lock only closes the gap between the sleeper's last look and its sleep.
    std::mutex mutex_;
    std::condition_variable workerWake_;
    std::condition_variable walkWake_;
    std::atomic<bool> workerAsleep_ = false;
    std::atomic<bool> walkAsleep_ = false;
    std::atomic<std::uint64_t> visible_ = 0;  // files the thread may look at
    std::atomic<bool> moreSoon_ = true;
    std::atomic<std::uint64_t> workerNext_ = 0;  // the first file the thread has not passed
    std::atomic<std::uint64_t> publications_ = 0;
    Publication shared_[kPublications];  // under the lock
    std::atomic<bool> stopping_ = false;
    std::string workerGroup_;  // the thread's: the group whose folder it looked up last
    std::thread thread_;
};

}  // namespace vantrel
