#include "document/scramble.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace md {
namespace {

using Bytes = std::vector<uint8_t>;

// Hand-scrambled with the mask 0x5A. A visited byte with its lowest bit 1 makes the walk jump
// over the next two bytes, which are stored unchanged.
TEST(Scramble, MatchesHandScrambledBytes) {
    const struct {
        const char* what;
        Bytes plain;
        Bytes scrambled;
    } cases[] = {
        {"empty", {}, {}},
        {"one even byte", {0x00}, {0x5A}},
        {"one odd byte", {0x01}, {0x5B}},
        {"even bytes are all visited", {0x00, 0x02, 0xFE}, {0x5A, 0x58, 0xA4}},
        {"odd byte with one byte left", {0x01, 0x01}, {0x5B, 0x01}},
        {"odd byte with two bytes left", {0x01, 0x01, 0x01}, {0x5B, 0x01, 0x01}},
        {"walk resumes after the jump", {0x01, 0x01, 0x01, 0x01}, {0x5B, 0x01, 0x01, 0x5B}},
        // 0: 01^5A = 5B, odd: 1 and 2 jumped over.  3: 02^5A = 58, even.
        // 4: 03^5A = 59, odd: 5 and 6 jumped over.  7: FF^5A = A5, odd: 8 jumped over, end.
        {"mixed",
         {0x01, 0xAA, 0xBB, 0x02, 0x03, 0xCC, 0xDD, 0xFF, 0x10},
         {0x5B, 0xAA, 0xBB, 0x58, 0x59, 0xCC, 0xDD, 0xA5, 0x10}},
    };
    for (const auto& c : cases) {
        Bytes bytes = c.plain;
        ScrambleBytes(bytes);
        EXPECT_EQ(bytes, c.scrambled) << c.what;
        UnscrambleBytes(bytes);
        EXPECT_EQ(bytes, c.plain) << c.what;
    }
}

// Random buffers of every short length (where the walk's end is reached with 0, 1 or 2 bytes
// left) and a few long ones. Each buffer sits at the front of a larger one whose tail must stay
// untouched, so a walk that runs past the span's end shows up without a sanitizer too.
TEST(Scramble, RoundTripsAndStaysInsideTheBuffer) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 64; ++n) lengths.push_back(n);
    for (size_t n : {255u, 256u, 1000u, 4097u}) lengths.push_back(n);

    constexpr size_t kGuard = 8;
    constexpr uint8_t kGuardByte = 0xE7;
    for (size_t length : lengths) {
        Bytes plain(length);
        for (auto& b : plain) b = static_cast<uint8_t>(byte(random));

        Bytes buffer = plain;
        buffer.resize(length + kGuard, kGuardByte);
        const std::span<uint8_t> bytes(buffer.data(), length);
        const Bytes guard(kGuard, kGuardByte);

        ScrambleBytes(bytes);
        EXPECT_EQ(Bytes(buffer.begin() + length, buffer.end()), guard) << "length " << length;
        if (length > 0) {
            EXPECT_NE(buffer[0], plain[0]) << "the first byte is always visited";
        }

        UnscrambleBytes(bytes);
        EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + length), plain) << "length " << length;
        EXPECT_EQ(Bytes(buffer.begin() + length, buffer.end()), guard) << "length " << length;

        // The other way round: stored bytes that unscramble to something scramble back.
        Bytes stored = plain;
        UnscrambleBytes(stored);
        ScrambleBytes(stored);
        EXPECT_EQ(stored, plain) << "length " << length;

        // With the mask's lowest bit 0, each direction is its own inverse.
        Bytes twice = plain;
        ScrambleBytes(twice);
        ScrambleBytes(twice);
        EXPECT_EQ(twice, plain) << "length " << length;
    }
}

}  // namespace
}  // namespace md
