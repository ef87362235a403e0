// The table of this compilation's kernels (compiled once per instruction set, see simd.h).
#include "platform/raster/front_end.h"
#include "platform/raster/kernels.h"
#include "platform/raster/pixel_stage.h"
#include "platform/raster/triangle_setup.h"

namespace sw {
inline namespace SW_SIMD_ISA {

const Kernels& kernels() {
#if defined(__AVX2__)
    constexpr InstructionSet kSet = InstructionSet::kAvx2;
#else
    constexpr InstructionSet kSet = InstructionSet::kSse2;
#endif
    // Initialised as a constant: none of this set's code runs before the processor is asked.
    static constexpr Kernels table{kSet, drawTriangles, selectPixelStage, setupCorners};
    return table;
}

}  // namespace SW_SIMD_ISA
}  // namespace sw
