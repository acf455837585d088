// The x86 call filter: a call's target made absolute where it stands, and
// every kind of input (calls at a piece's edge, at the file's end, runs of
// opcodes, any bytes) back exactly as it was, however the file is cut into
// pieces; which files are machine code.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "sys/x86_call_filter.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The file through the filter in pieces of the given sizes (cycled).
Bytes Filtered(const Bytes& in, X86CallFilter::Direction direction, const std::vector<size_t>& pieces) {
    X86CallFilter filter(direction);
    Bytes out;
    const auto emit = [&](const uint8_t* b, size_t n) {
        out.insert(out.end(), b, b + n);
        return true;
    };
    size_t at = 0;
    for (size_t k = 0; at < in.size(); ++k) {
        const size_t n = std::min(pieces[k % pieces.size()], in.size() - at);
        EXPECT_TRUE(filter.Process(in.data() + at, n, false, emit));
        at += n;
    }
    EXPECT_TRUE(filter.Process(nullptr, 0, true, emit));
    return out;
}

TEST(X86CallFilter, ACallsTargetBecomesAbsolute) {
    // A call at offset 3 to 16 bytes on, and one at offset 8 to 16 bytes
    // back (its top byte 0xFF): both now name where they lead, 8 + 16 and
    // 13 - 16.
    const Bytes code = {0x90, 0x90, 0x90, 0xE8, 0x10, 0x00, 0x00, 0x00, 0xE8, 0xF0, 0xFF, 0xFF, 0xFF, 0xC3};
    const Bytes encoded = Filtered(code, X86CallFilter::Direction::kEncode, {100});
    const Bytes expected = {0x90, 0x90, 0x90, 0xE8, 0x18, 0x00, 0x00, 0x00, 0xE8, 0xFD, 0xFF, 0xFF, 0xFF, 0xC3};
    EXPECT_EQ(encoded, expected);
    // A target too far to be near, and a call cut off by the end, stay.
    const Bytes far = {0xE8, 0x00, 0x00, 0x00, 0x12, 0xE9, 0x01, 0x02};
    EXPECT_EQ(Filtered(far, X86CallFilter::Direction::kEncode, {3}), far);
}

TEST(X86CallFilter, EveryInputComesBackWhateverItsPieces) {
    std::mt19937 gen(11);
    // An opcode left as it is whose fourth byte on a later call's change
    // would reach (the fuzzer's find), runs of opcodes, any bytes.
    std::vector<Bytes> inputs = {{},
                                 {0xE8},
                                 {0xE8, 0xE8, 0xE8, 0xE8, 0xE8, 0xE8, 0xE8, 0xE8, 0x00, 0xFF},
                                 {0x2D, 0x0F, 0x00, 0xE8, 0x05, 0x90, 0xE8, 0x0F, 0x00, 0x00, 0x00, 0xE8},
                                 {0xE8, 0x05, 0x90, 0xE8, 0x00, 0x00, 0x00, 0x00, 0x00}};
    for (int size : {5, 6, 9, 64, 4099}) {
        Bytes dense(static_cast<size_t>(size)), sparse(static_cast<size_t>(size));
        for (int i = 0; i < size; ++i) {
            const uint8_t pick[] = {0xE8, 0xE9, 0x00, 0xFF, uint8_t(gen())};
            dense[size_t(i)] = pick[gen() % 5];
            sparse[size_t(i)] = uint8_t(gen());
        }
        inputs.push_back(dense);
        inputs.push_back(sparse);
    }
    const std::vector<std::vector<size_t>> cuts = {{1}, {2}, {3}, {4}, {5}, {7, 1, 3}, {4096}, {1 << 20}};
    for (const Bytes& in : inputs)
        for (const auto& encodeCut : cuts)
            for (const auto& decodeCut : {cuts[0], cuts[5], cuts[7]}) {
                const Bytes encoded = Filtered(in, X86CallFilter::Direction::kEncode, encodeCut);
                EXPECT_EQ(encoded, Filtered(in, X86CallFilter::Direction::kEncode, {1 << 20}));  // the cut does not matter
                EXPECT_EQ(Filtered(encoded, X86CallFilter::Direction::kDecode, decodeCut), in)
                    << in.size() << " bytes, pieces of " << encodeCut[0] << " then " << decodeCut[0];
                const Bytes decoded = Filtered(in, X86CallFilter::Direction::kDecode, decodeCut);
                EXPECT_EQ(Filtered(decoded, X86CallFilter::Direction::kEncode, encodeCut), in) << in.size() << " bytes";
            }
}

TEST(X86CallFilter, MachineCodeIsToldByItsHeader) {
    const auto head = [](const std::string& path) {
        const std::string bytes = test::ReadFile(path).substr(0, 4096);
        return Bytes(bytes.begin(), bytes.end());
    };
    const Bytes elf = head(VELDO_INSTALLER_EXE), pe64 = head(VELDO_EXE_FIXTURES "/hello64.exe"),
                pe32 = head(VELDO_EXE_FIXTURES "/hello32.exe");
    EXPECT_TRUE(X86CallFilter::IsX86Code(elf.data(), elf.size()));
    EXPECT_TRUE(X86CallFilter::IsX86Code(pe64.data(), pe64.size()));
    EXPECT_TRUE(X86CallFilter::IsX86Code(pe32.data(), pe32.size()));
    Bytes arm = elf;
    arm[18] = 183;  // AArch64
    const std::string text = "MZ is how this text starts, and it is no program at all......................";
    const Bytes words(text.begin(), text.end());
    EXPECT_FALSE(X86CallFilter::IsX86Code(arm.data(), arm.size()));
    EXPECT_FALSE(X86CallFilter::IsX86Code(words.data(), words.size()));
    EXPECT_FALSE(X86CallFilter::IsX86Code(elf.data(), 3));
}

}  // namespace
