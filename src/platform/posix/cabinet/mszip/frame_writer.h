#pragma once

// Writes a large file's output on a second thread while the walk's thread decodes the frames
// that follow: decoding is the process's own work, writing is the kernel's (copying into the
// page cache), and the two then run side by side on two cores. The pieces reach their file in
// the order they were handed over; the walk waits for all of them before it does anything else
// with the file, so the file is whole before it is given its name, and a failed write is
// recorded by the file itself exactly as if the walk's thread had written it.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/posix/cabinet/io.h"

namespace vantrel {

class FrameWriter {
  public:
    FrameWriter() = default;
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // Starts the thread, once; false when there is none, and the caller writes for itself.
    bool Start() noexcept;

    // Queues `size` bytes at `data` for `sink`, which nobody else touches until Drain; the bytes
    // must stay as they are until the piece is written. The piece's number.
    std::uint64_t Post(HostFile& sink, const unsigned char* data, std::size_t size) noexcept;

    // Whether every piece up to number `piece` has been written.
    bool Written(std::uint64_t piece) noexcept;
    void WaitWritten(std::uint64_t piece) noexcept;
    // Waits for every piece posted so far.
    void Drain() noexcept { WaitWritten(postedByWalk_); }

  private:
    struct Piece {
        HostFile* Sink = nullptr;
        const unsigned char* Data = nullptr;
        std::size_t Size = 0;
    };
    static constexpr std::size_t kQueueSize = 8;

    void Run() noexcept;

    std::mutex mutex_;
    std::condition_variable piecePosted_;
    std::condition_variable pieceWritten_;
    Piece queue_[kQueueSize];
    // Changed under the lock; read without it while a thread spins, before it sleeps.
    std::atomic<std::uint64_t> postedCount_ = 0;
    std::atomic<std::uint64_t> writtenCount_ = 0;
    std::uint64_t postedByWalk_ = 0;  // the walk's own copy of postedCount_, read without the lock
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace vantrel
