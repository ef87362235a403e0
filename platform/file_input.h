// Opening the files the program reads. A path may name a directory, a pipe, a socket or a device
// as easily as a file: each is opened without blocking and refused unless it is a regular file, and
// the length that sizes any buffer is the one the file system reports for the open file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

enum class FileReadResult { kOk, kMissing, kUnreadable };

struct InputFile {
    struct Closer {
        void operator()(std::FILE* stream) const { std::fclose(stream); }
    };
    std::unique_ptr<std::FILE, Closer> stream;  // binary reading, at the start of the file
    std::uint64_t size = 0;                     // the length reported when it was opened
};

// Opens a regular file for reading. On failure `error` says why ("is a directory", "is not a
// regular file", or the system's reason) and `file` holds no stream.
FileReadResult openInputFile(const std::string& path, InputFile& file, std::string& error);

// Reads a regular file whole, in one piece: at most the length reported when it was opened.
FileReadResult readFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes,
                             std::string& error);
