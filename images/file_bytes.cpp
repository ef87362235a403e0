#include "images/file_bytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

long fileLength(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long length = std::ftell(file);
    if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
    return length;
}

}  // namespace

FileReadResult readFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes,
                             std::string& error) {
    bytes.clear();
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = std::string("cannot open: ") + std::strerror(errno);
        return errno == ENOENT ? FileReadResult::kMissing : FileReadResult::kUnreadable;
    }
    const long length = fileLength(file.get());
    if (length < 0) {
        error = "cannot find the file's length";
        return FileReadResult::kUnreadable;
    }
    bytes.resize(static_cast<std::size_t>(length));
    if (length > 0 && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        error = "read failed";
        bytes.clear();
        return FileReadResult::kUnreadable;
    }
    return FileReadResult::kOk;
}

bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    std::string& error) {
    const std::string temporary = path + ".tmp";
    FilePtr file(std::fopen(temporary.c_str(), "wb"));
    if (!file) {
        error = "cannot create " + temporary + ": " + std::strerror(errno);
        return false;
    }
    const bool written =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed) {
        error = "cannot write " + temporary;
        std::remove(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot rename " + temporary + " to " + path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
