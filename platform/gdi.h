// The two GDI drawing calls the program makes through a surface's device context.
#pragma once

#include <cstdint>

using COLORREF = std::uint32_t;  // 0x00BBGGRR

constexpr COLORREF RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}
constexpr std::uint8_t GetRValue(COLORREF c) {
    return static_cast<std::uint8_t>(c);
}
constexpr std::uint8_t GetGValue(COLORREF c) {
    return static_cast<std::uint8_t>(c >> 8);
}
constexpr std::uint8_t GetBValue(COLORREF c) {
    return static_cast<std::uint8_t>(c >> 16);
}

constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

// A device context: what a surface's GetDC hands out. The free functions below dispatch to it,
// so a fake surface can hand out a recording context.
class DeviceContext {
  public:
    // Returns the colour actually set, or CLR_INVALID when (x, y) is outside the surface.
    virtual COLORREF setPixel(int x, int y, COLORREF color) = 0;
    // Draws text with its top-left corner at (x, y); false on a bad argument.
    virtual bool textOut(int x, int y, const char* text, int length) = 0;

  protected:
    ~DeviceContext() = default;
};

using HDC = DeviceContext*;

inline COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
    return dc != nullptr ? dc->setPixel(x, y, color) : CLR_INVALID;
}

inline int TextOutA(HDC dc, int x, int y, const char* text, int length) {
    return dc != nullptr && dc->textOut(x, y, text, length) ? 1 : 0;
}
