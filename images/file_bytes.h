// Whole-file reads and writes for the picture readers and the asset tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class FileReadResult { kOk, kMissing, kUnreadable };

// Reads the whole file in one piece. On failure `error` says why.
FileReadResult readFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes,
                             std::string& error);

// Writes through a temporary name beside `path` and renames it, so a failure leaves no half file.
bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    std::string& error);
