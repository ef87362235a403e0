// Hands out the lines of a file one at a time through one large buffer, without reading the whole
// file into memory. Each line is NUL-terminated in place, its line end removed.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <vector>

class LineSource {
  public:
    // A line holds at most this many bytes; the rest of a longer line is dropped, and the line's
    // number noted for a warning.
    static constexpr std::size_t kMaxLineLength = 254;

    explicit LineSource(std::FILE* file, std::size_t bufferSize = 1 << 20);

    // The next line's text, or nullptr at the end of the file. A line ends at LF (a CR right before
    // it belongs to the line end) or at the end of the file. The pointer stays valid until the
    // next call.
    const char* next();

    // Number of the line last returned (1 for the first line).
    long lineNumber() const { return lineNumber_; }

    // The numbers of the lines that were longer than kMaxLineLength, in order.
    const std::vector<long>& overlongLines() const { return overlongLines_; }

  private:
    const char* finishLine(char* start, std::size_t length);
    const char* takeOverlongLine();
    void refill();

    std::FILE* file_;
    std::size_t capacity_;
    std::unique_ptr<char[]>
        buffer_;             // capacity_ + 1: room for the NUL after an unterminated last line
    std::size_t begin_ = 0;  // first unread byte
    std::size_t end_ = 0;    // one past the last byte read from the file
    bool fileDone_ = false;
    long lineNumber_ = 0;
    std::vector<long> overlongLines_;
    char overlong_[kMaxLineLength + 1];
};
