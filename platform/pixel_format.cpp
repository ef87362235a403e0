#include "platform/pixel_format.h"

DDPIXELFORMAT rgbPixelFormat(PixelLayout layout) {
    DDPIXELFORMAT format{};
    format.dwSize = kDDPixelFormatSize;
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = 16;
    if (layout == PixelLayout::k555) {
        format.dwRBitMask = 0x7C00;
        format.dwGBitMask = 0x03E0;
    } else {
        format.dwRBitMask = 0xF800;
        format.dwGBitMask = 0x07E0;
    }
    format.dwBBitMask = 0x001F;
    return format;
}

DDPIXELFORMAT zBufferPixelFormat16() {
    DDPIXELFORMAT format{};
    format.dwSize = kDDPixelFormatSize;
    format.dwFlags = DDPF_ZBUFFER;
    format.dwZBufferBitDepth = 16;
    format.dwZBitMask = 0xFFFF;
    return format;
}

bool layoutOfPixelFormat(const DDPIXELFORMAT& format, PixelLayout& layout) {
    if (format.dwFlags != DDPF_RGB || format.dwRGBBitCount != 16 || format.dwBBitMask != 0x1F) {
        return false;
    }
    if (format.dwRBitMask == 0x7C00 && format.dwGBitMask == 0x03E0) {
        layout = PixelLayout::k555;
        return true;
    }
    if (format.dwRBitMask == 0xF800 && format.dwGBitMask == 0x07E0) {
        layout = PixelLayout::k565;
        return true;
    }
    return false;
}
