// Scene texts for the reader tests: the worked example fixture as editable lines, written to
// temporary files and read back.
#pragma once

#include <string>
#include <vector>

#include "ase/reader.h"

using Lines = std::vector<std::string>;

// The worked example (tests/ase/data/worked_example.ase), one entry per line, line ends removed.
Lines workedExample();

// Index of the first line at or after `from` whose text contains `needle`; fails the test if none.
std::size_t findLine(const Lines& lines, const std::string& needle, std::size_t from = 0);

std::string joinLines(const Lines& lines, const std::string& lineEnd = "\r\n");

// Writes `content` to a fresh temporary file and returns its path.
std::string writeTempFile(const std::string& content);

// The progress messages, and the warnings and errors, as the program shows them.
std::string progressLines(const Messages& messages);
std::string problemLines(const Messages& messages);

// Reads `content` through a temporary file; progress messages land in `messages` and the
// warnings and errors in `errors` (either may be null).
int readText(const std::string& content, Scene& scene, ReadReport* report = nullptr,
             std::string* messages = nullptr, std::string* errors = nullptr);
