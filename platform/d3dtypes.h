// Value types of the display platform, in the platform's field order and widths, so that arrays of
// them can be handed to the device unchanged. Their operations live in prep/math.h.
#pragma once

#include <cstdint>

using HRESULT = std::int32_t;
using DWORD = std::uint32_t;
using D3DVALUE = float;
using D3DCOLOR = std::uint32_t;
using D3DTEXTUREHANDLE = std::uint32_t;
using D3DMATERIALHANDLE = std::uint32_t;

// A point, a direction or (in the scene records) a colour as red, green, blue.
// Default construction leaves the fields unset, as on the original platform.
struct D3DVECTOR {
    D3DVALUE x, y, z;
    D3DVECTOR() = default;
    constexpr D3DVECTOR(D3DVALUE x_, D3DVALUE y_, D3DVALUE z_) : x(x_), y(y_), z(z_) {}
};

// The vertex handed to the device: position, normal, one pair of texture coordinates (32 bytes).
struct D3DVERTEX {
    D3DVALUE x, y, z;
    D3DVALUE nx, ny, nz;
    D3DVALUE tu, tv;
    D3DVERTEX() = default;
    constexpr D3DVERTEX(const D3DVECTOR& position, const D3DVECTOR& normal, float u, float v)
        : x(position.x),
          y(position.y),
          z(position.z),
          nx(normal.x),
          ny(normal.y),
          nz(normal.z),
          tu(u),
          tv(v) {}
};

// Row-major 4x4 matrix; points are row vectors multiplied on the left.
struct D3DMATRIX {
    D3DVALUE _11, _12, _13, _14;
    D3DVALUE _21, _22, _23, _24;
    D3DVALUE _31, _32, _33, _34;
    D3DVALUE _41, _42, _43, _44;
};

struct D3DCOLORVALUE {
    D3DVALUE r, g, b, a;
};

struct D3DMATERIAL {
    DWORD dwSize;
    D3DCOLORVALUE diffuse;
    D3DCOLORVALUE ambient;
    D3DCOLORVALUE specular;
    D3DCOLORVALUE emissive;
    D3DVALUE power;
    D3DTEXTUREHANDLE hTexture;
    DWORD dwRampSize;
};

static_assert(sizeof(D3DVECTOR) == 12);
static_assert(sizeof(D3DVERTEX) == 32);
static_assert(sizeof(D3DMATRIX) == 64);
static_assert(sizeof(D3DMATERIAL) == 80);
