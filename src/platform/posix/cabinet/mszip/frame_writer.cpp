#include "platform/posix/cabinet/mszip/frame_writer.h"

#include "platform/posix/cabinet/worker_threads.h"

namespace vantrel {

FrameWriter::~FrameWriter() {
    if (!thread_.joinable()) {
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    piecePosted_.notify_one();
    thread_.join();
}

bool FrameWriter::Start() noexcept {
    return StartOnce(thread_, [this] { Run(); });
}

std::uint64_t FrameWriter::Post(HostFile& sink, const unsigned char* data,
                                std::size_t size) noexcept {
    std::unique_lock lock(mutex_);
    pieceWritten_.wait(lock, [this] { return postedCount_ - writtenCount_ < kQueueSize; });
    queue_[postedCount_ % kQueueSize] = Piece{&sink, data, size};
    postedByWalk_ = ++postedCount_;
    lock.unlock();
    piecePosted_.notify_one();
    return postedByWalk_;
}

bool FrameWriter::Written(std::uint64_t piece) noexcept {
    return writtenCount_.load() >= piece;
}

void FrameWriter::WaitWritten(std::uint64_t piece) noexcept {
    if (SpinUntil([this, piece] { return writtenCount_.load() >= piece; })) {
        return;
    }
    std::unique_lock lock(mutex_);
    pieceWritten_.wait(lock, [this, piece] { return writtenCount_ >= piece; });
}

void FrameWriter::Run() noexcept {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (writtenCount_ == postedCount_ && !stopping_) {
            lock.unlock();
            SpinUntil([this] { return writtenCount_.load() < postedCount_.load(); });
            lock.lock();
        }
        piecePosted_.wait(lock, [this] { return stopping_ || writtenCount_ < postedCount_; });
        if (writtenCount_ == postedCount_) {
            return;
        }
        const Piece piece = queue_[writtenCount_ % kQueueSize];
        lock.unlock();
        piece.Sink->Write(piece.Data, static_cast<int>(piece.Size));
        lock.lock();
        ++writtenCount_;
        pieceWritten_.notify_one();
    }
}

}  // namespace vantrel
