#pragma once

// A registry file line by line, with memory bounded by the longest line kept
// (kMaxRegistryLineLength) however long the lines of the file are.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace vantrel::wine_reg {

struct Line {
    std::string_view Text;  // without its line end and cut at a zero byte; empty when Overlong
    bool Overlong = false;  // longer than kMaxRegistryLineLength; its text was not kept
    char First = 0;         // first non-blank character, 0 for a blank line
    char Last = 0;          // last non-blank character
};

class LineReader {
  public:
    // Opens only a regular file: opening never blocks (a FIFO put in its place would wait for a
    // writer forever) and a device never feeds us without end.
    explicit LineReader(const std::filesystem::path& path);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool IsOpen() const { return fd_ >= 0; }

    // The next line, valid until the next call; nullopt at the end of the file. A read error
    // ends the file.
    std::optional<Line> Next();

  private:
    Line TakeLine(std::size_t lineEnd, std::size_t next);
    Line SkipOverlongLine();
    void Fill();

    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;    // start of the current line
    std::size_t end_ = 0;      // end of the data read
    std::size_t scanned_ = 0;  // bytes of the current line known to hold no line end
    bool atEnd_ = false;
};

}  // namespace vantrel::wine_reg
