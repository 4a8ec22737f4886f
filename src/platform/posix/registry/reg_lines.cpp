#include "platform/posix/registry/reg_lines.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/posix/registry/reg_file.h"
#include "platform/posix/registry/reg_syntax.h"

namespace vantrel::wine_reg {
namespace {

constexpr std::size_t kFirstReadSize = std::size_t{256} << 10;
constexpr std::size_t kReadChunk = std::size_t{64} << 10;

int OpenRegularFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

char FirstNonBlank(std::string_view text) {
    const auto pos = SkipBlanks(text, 0);
    return pos < text.size() ? text[pos] : 0;
}

char LastNonBlank(std::string_view text, char otherwise) {
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        if (!IsBlank(*it)) {
            return *it;
        }
    }
    return otherwise;
}

}  // namespace

LineReader::LineReader(const std::filesystem::path& path)
    : fd_(OpenRegularFile(path)), buffer_(fd_ >= 0 ? kFirstReadSize : 0) {}

LineReader::~LineReader() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::optional<Line> LineReader::Next() {
    if (!IsOpen()) {
        return std::nullopt;
    }
    for (;;) {
        const char* base = buffer_.data();
        const std::size_t unscanned = begin_ + scanned_;
        if (const void* end = std::memchr(base + unscanned, '\n', end_ - unscanned)) {
            const auto lineEnd = static_cast<std::size_t>(static_cast<const char*>(end) - base);
            return TakeLine(lineEnd, lineEnd + 1);
        }
        scanned_ = end_ - begin_;
        if (atEnd_) {
            return begin_ < end_ ? std::optional<Line>(TakeLine(end_, end_)) : std::nullopt;
        }
        if (end_ - begin_ >= kMaxRegistryLineLength) {
            return SkipOverlongLine();
        }
        Fill();
    }
}

Line LineReader::TakeLine(std::size_t lineEnd, std::size_t next) {
    std::string_view text(buffer_.data() + begin_, lineEnd - begin_);
    begin_ = next;
    scanned_ = 0;
    if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1);
    }
    // Wine reads lines as C strings: whatever follows a zero byte is lost.
    text = text.substr(0, text.find('\0'));
    return Line{text, false, FirstNonBlank(text), LastNonBlank(text, 0)};
}

Line LineReader::SkipOverlongLine() {
    Line line;
    line.Overlong = true;
    line.First = FirstNonBlank(std::string_view(buffer_.data() + begin_, end_ - begin_));
    for (;;) {
        const char* base = buffer_.data();
        const void* end = std::memchr(base + begin_, '\n', end_ - begin_);
        const std::size_t stop =
            end ? static_cast<std::size_t>(static_cast<const char*>(end) - base) : end_;
        line.Last = LastNonBlank(std::string_view(base + begin_, stop - begin_), line.Last);
        if (end) {
            begin_ = stop + 1;
            break;
        }
        begin_ = end_;
        if (atEnd_) {
            break;
        }
        Fill();
    }
    scanned_ = 0;
    return line;
}

// Moves the unread part to the front, grows the buffer when a line needs it, and reads.
void LineReader::Fill() {
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (buffer_.size() - end_ < kReadChunk) {
        buffer_.resize(std::min(buffer_.size() * 2, kMaxRegistryLineLength + kReadChunk));
    }
    for (;;) {
        const ssize_t count = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (count > 0) {
            end_ += static_cast<std::size_t>(count);
            return;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        atEnd_ = true;  // end of file, or a read error that ends it for us
        return;
    }
}

}  // namespace vantrel::wine_reg
