#include "platform/raster/kernels.h"

namespace sw {

InstructionSet widestInstructionSet() {
    // libgcc's check also asks whether the operating system saves the 256-bit registers. The
    // explicit start-up makes the answer right even before static constructors have run.
    static const bool avx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return avx2 ? InstructionSet::kAvx2 : InstructionSet::kSse2;
}

const Kernels& kernelsFor(InstructionSet set) {
    if (set == InstructionSet::kAvx2 && widestInstructionSet() == InstructionSet::kAvx2)
        return avx2::kernels();
    return sse2::kernels();
}

}  // namespace sw
