// The drawing layer's vertex formats: interleaved, tightly packed. Colours
// are 0xAARRGGBB, stored little-endian (B, G, R, A) and read by OpenGL as
// four normalised bytes in BGRA order.
#pragma once

#include <cstdint>

struct s_GxVert_PosCol {
    float x, y, z;
    uint32_t color;
};

struct s_GxVert_PosColUV {
    float x, y, z;
    uint32_t color;
    float u, v;
};

struct s_GxVert_PosNormCol {
    float x, y, z;
    float nx, ny, nz;
    uint32_t color;
};

static_assert(sizeof(s_GxVert_PosCol) == 16);
static_assert(sizeof(s_GxVert_PosColUV) == 24);
static_assert(sizeof(s_GxVert_PosNormCol) == 28);

// Attribute locations, and the bit set a mesh part records of them.
enum GxAttribute : int32_t { kGxPosition = 0, kGxNormal = 1, kGxColor = 2, kGxTexCoord = 3 };
enum GxAttributeBits : uint32_t { kGxHasPosition = 1, kGxHasNormal = 2, kGxHasColor = 4, kGxHasTexCoord = 8 };

constexpr uint32_t kGxPosColBits = kGxHasPosition | kGxHasColor;                        // 5
constexpr uint32_t kGxPosColUVBits = kGxHasPosition | kGxHasColor | kGxHasTexCoord;     // 13
constexpr uint32_t kGxPosNormColBits = kGxHasPosition | kGxHasNormal | kGxHasColor;     // 7
