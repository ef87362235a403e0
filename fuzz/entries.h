// The entry points shared by the libFuzzer targets and the regression tests: each takes one
// input's bytes and runs it through the same code the player runs on a file of that kind. Any
// crash, sanitizer report or hang is a fault; the return value is always 0.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

// The bytes as a whole scene file: both readings (positional and tolerant), then, for a complete
// read, scene preparation and the posing of a few frames.
int runSceneFile(const std::uint8_t* data, std::size_t size);

// The bytes as a whole PCX file: decoding and the conversion to both 16-bit layouts.
int runPcxFile(const std::uint8_t* data, std::size_t size);

// The bytes as a whole ".spr" file: decoding, the 5-5-5 conversion, and for a decoded picture
// the encoders' round trip.
int runSprFile(const std::uint8_t* data, std::size_t size);

// The bytes as a render state, a texture of arbitrary size and a triangle list with arbitrary
// floats, drawn by the software rasterizer into a target of arbitrary size.
int runTriangles(const std::uint8_t* data, std::size_t size);

}  // namespace fuzz
