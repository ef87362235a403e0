// Whole-file reads (the platform's, which refuse anything but a regular file) and writes for the
// picture readers and the asset tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_input.h"

// Writes through a temporary name beside `path` and renames it, so a failure leaves no half file.
bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    std::string& error);
