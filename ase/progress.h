// The reader's progress messages ("1 Object Compelete!!", ...): each on a line of its own, and none
// at all when the caller gives no stream (--quiet).
#pragma once

#include <cstdarg>
#include <cstdio>

[[gnu::format(printf, 2, 3)]] inline void printProgress(std::FILE* messages, const char* format,
                                                        ...) {
    if (messages == nullptr) return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(messages, format, arguments);
    va_end(arguments);
    std::fputc('\n', messages);
}
