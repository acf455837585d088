// Draws the program's window icon, a white "V" on a rounded blue square, as
// a square PNG of the given size, at build time.
//
//   icon_gen <size> <out.png>
#include <lodepng.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Coverage of the point (x, y) by a stroke from a to b of half-width r.
float Stroke(float x, float y, float ax, float ay, float bx, float by, float r) {
    const float dx = bx - ax, dy = by - ay;
    float t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    const float d = std::hypot(x - (ax + t * dx), y - (ay + t * dy));
    return d <= r - 0.5f ? 1.0f : d >= r + 0.5f ? 0.0f : r + 0.5f - d;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: icon_gen <size> <out.png>\n");
        return 64;
    }
    const int n = std::atoi(argv[1]);
    if (n < 8 || n > 256) return 64;
    std::vector<unsigned char> rgba(size_t(n) * n * 4);
    const float s = float(n), corner = s * 0.2f, r = s * 0.09f;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            // Rounded square: distance outside the inner rectangle.
            const float qx = std::fmax(std::fabs(px - s / 2) - (s / 2 - corner), 0.0f);
            const float qy = std::fmax(std::fabs(py - s / 2) - (s / 2 - corner), 0.0f);
            const float edge = corner - std::hypot(qx, qy);
            const float inside = edge >= 0.5f ? 1.0f : edge <= -0.5f ? 0.0f : edge + 0.5f;
            const float v = std::fmax(Stroke(px, py, s * 0.25f, s * 0.25f, s * 0.5f, s * 0.78f, r),
                                      Stroke(px, py, s * 0.75f, s * 0.25f, s * 0.5f, s * 0.78f, r));
            const float shade = 1.0f - 0.35f * py / s;  // lighter at the top
            unsigned char* p = &rgba[(size_t(y) * n + x) * 4];
            p[0] = static_cast<unsigned char>((20 + v * 235) * (v > 0 ? 1.0f : shade));
            p[1] = static_cast<unsigned char>((110 * shade) * (1 - v) + 255 * v);
            p[2] = static_cast<unsigned char>((220 * shade) * (1 - v) + 255 * v);
            p[3] = static_cast<unsigned char>(255 * inside);
        }
    if (lodepng_encode32_file(argv[2], rgba.data(), unsigned(n), unsigned(n)) != 0) {
        std::fprintf(stderr, "icon_gen: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
