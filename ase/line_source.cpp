#include "ase/line_source.h"

#include <cstring>

LineSource::LineSource(std::FILE* file, std::size_t bufferSize)
    : file_(file),
      capacity_(bufferSize < 2 * kMaxLineLength ? 2 * kMaxLineLength : bufferSize),
      buffer_(new char[capacity_ + 1]) {}

const char* LineSource::next() {
    for (;;) {
        char* start = buffer_.get() + begin_;
        const std::size_t available = end_ - begin_;
        if (auto* lineFeed = static_cast<char*>(std::memchr(start, '\n', available))) {
            std::size_t length = static_cast<std::size_t>(lineFeed - start);
            begin_ += length + 1;
            if (length > 0 && start[length - 1] == '\r') --length;
            return finishLine(start, length);
        }
        // Past this many bytes without a line feed the line cannot fit, even if a CR ends it.
        if (available > kMaxLineLength + 1) return takeOverlongLine();
        if (fileDone_) {
            if (available == 0) return nullptr;
            begin_ = end_;
            return finishLine(start, available);  // the last line without a line end
        }
        refill();
    }
}

const char* LineSource::finishLine(char* start, std::size_t length) {
    ++lineNumber_;
    if (length > kMaxLineLength) {
        overlongLines_.push_back(lineNumber_);
        length = kMaxLineLength;
    }
    start[length] = '\0';
    return start;
}

// Keeps the first bytes of a line longer than the limit and drops the rest up to its line feed.
const char* LineSource::takeOverlongLine() {
    std::memcpy(overlong_, buffer_.get() + begin_, kMaxLineLength);
    overlong_[kMaxLineLength] = '\0';
    begin_ = end_;
    while (!fileDone_) {
        refill();
        char* start = buffer_.get() + begin_;
        if (auto* lineFeed = static_cast<char*>(std::memchr(start, '\n', end_ - begin_))) {
            begin_ += static_cast<std::size_t>(lineFeed - start) + 1;
            break;
        }
        begin_ = end_;
    }
    ++lineNumber_;
    overlongLines_.push_back(lineNumber_);
    return overlong_;
}

// Moves the unread tail (shorter than one line) to the front and fills the rest from the file.
void LineSource::refill() {
    const std::size_t tail = end_ - begin_;
    if (tail > 0 && begin_ > 0) std::memmove(buffer_.get(), buffer_.get() + begin_, tail);
    begin_ = 0;
    end_ = tail;
    const std::size_t got = std::fread(buffer_.get() + end_, 1, capacity_ - end_, file_);
    end_ += got;
    if (got == 0) fileDone_ = true;
}
