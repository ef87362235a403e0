// One libFuzzer target; FUZZ_ENTRY names the entry point it drives.
#include "fuzz/entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::FUZZ_ENTRY(data, size);
}
