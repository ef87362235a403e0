// Copies 16-bit pictures into surfaces through the platform's Lock and Unlock.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ddraw.h"

// Copies width x height texels (rows `width` apart) into the locked surface, row by row at its
// pitch. False when the surface cannot be locked or is smaller than the picture.
bool copyTexelsToSurface(IDirectDrawSurface4* surface, const std::vector<std::uint16_t>& texels,
                         int width, int height);
