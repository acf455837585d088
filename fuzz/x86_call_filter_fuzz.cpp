// The x86 call filter on any bytes a damaged or hostile archive could hold,
// cut into pieces as the first byte says: decoding never faults, and each
// direction undoes the other exactly.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sys/x86_call_filter.h"

namespace {

std::vector<uint8_t> Run(const uint8_t* data, size_t size, X86CallFilter::Direction direction, size_t piece) {
    X86CallFilter filter(direction);
    std::vector<uint8_t> out;
    const auto emit = [&](const uint8_t* b, size_t n) {
        out.insert(out.end(), b, b + n);
        return true;
    };
    for (size_t at = 0; at < size; at += piece) filter.Process(data + at, std::min(piece, size - at), false, emit);
    filter.Process(nullptr, 0, true, emit);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t piece = size_t(data[0] % 16) + 1;
    ++data;
    --size;
    using D = X86CallFilter::Direction;
    const std::vector<uint8_t> decoded = Run(data, size, D::kDecode, piece);
    const std::vector<uint8_t> encoded = Run(data, size, D::kEncode, piece + 3);
    if (Run(decoded.data(), decoded.size(), D::kEncode, piece + 1) != std::vector<uint8_t>(data, data + size) ||
        Run(encoded.data(), encoded.size(), D::kDecode, piece) != std::vector<uint8_t>(data, data + size))
        std::abort();
    return 0;
}
