#include "platform/pixel_format.h"

DDPIXELFORMAT rgbPixelFormat(PixelLayout layout) {
    const ChannelLayout channels = channelLayout(layout);
    DDPIXELFORMAT format{};
    format.dwSize = kDDPixelFormatSize;
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = 16;
    format.dwRBitMask = channels.redMask();
    format.dwGBitMask = channels.greenMask();
    format.dwBBitMask = channels.blueMask();
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
    for (const PixelLayout candidate : {PixelLayout::k555, PixelLayout::k565}) {
        const DDPIXELFORMAT rgb = rgbPixelFormat(candidate);
        if (format.dwFlags == rgb.dwFlags && format.dwRGBBitCount == rgb.dwRGBBitCount &&
            format.dwRBitMask == rgb.dwRBitMask && format.dwGBitMask == rgb.dwGBitMask &&
            format.dwBBitMask == rgb.dwBBitMask) {
            layout = candidate;
            return true;
        }
    }
    return false;
}
