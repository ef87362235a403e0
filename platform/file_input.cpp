#include "platform/file_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace {

// Why a file of this type cannot be read as a file; empty for a regular file.
std::string refusalOf(mode_t mode) {
    if (S_ISREG(mode)) return {};
    if (S_ISDIR(mode)) return "is a directory";
    return "is not a regular file";
}

FileReadResult failWithSystemReason(int descriptor, std::string& error) {
    error = std::strerror(errno);
    if (descriptor >= 0) ::close(descriptor);
    return FileReadResult::kUnreadable;
}

}  // namespace

FileReadResult openInputFile(const std::string& path, InputFile& file, std::string& error) {
    file = {};
    // Without O_NONBLOCK, opening a pipe that nobody writes to would wait for a writer for ever.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        const bool missing = errno == ENOENT;
        failWithSystemReason(descriptor, error);
        return missing ? FileReadResult::kMissing : FileReadResult::kUnreadable;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) return failWithSystemReason(descriptor, error);
    error = refusalOf(status.st_mode);
    if (!error.empty()) {
        ::close(descriptor);
        return FileReadResult::kUnreadable;
    }
    file.stream.reset(::fdopen(descriptor, "rb"));
    if (!file.stream) return failWithSystemReason(descriptor, error);
    file.size = static_cast<std::uint64_t>(status.st_size);
    return FileReadResult::kOk;
}

FileReadResult readFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes,
                             std::string& error) {
    bytes.clear();
    InputFile file;
    const FileReadResult opened = openInputFile(path, file, error);
    if (opened != FileReadResult::kOk) return opened;
    try {
        bytes.resize(file.size);
    } catch (const std::bad_alloc&) {
        error = "too large to read (" + std::to_string(file.size) + " bytes)";
        return FileReadResult::kUnreadable;
    }
    if (std::fread(bytes.data(), 1, bytes.size(), file.stream.get()) != bytes.size()) {
        error = "read failed";
        bytes.clear();
        return FileReadResult::kUnreadable;
    }
    return FileReadResult::kOk;
}
