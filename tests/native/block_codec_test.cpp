// The block decoder on hand-made streams: every code, the copy semantics, and
// every way a malformed block is refused.
#include "payload/block_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// Readable statuses in failure messages.
void PrintTo(BlockStatus status, std::ostream* os) { *os << blockStatusName(status); }

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Writes codes MSB first into little-endian 32-bit words, the way a block's
// bit stream is laid out, and wraps them in a header.
class StreamWriter {
public:
    StreamWriter& bits(uint64_t value, unsigned count) {
        for (unsigned i = count; i-- > 0;) bit(unsigned(value >> i) & 1);
        return *this;
    }
    StreamWriter& gamma(uint64_t value) {  // value >= 2
        unsigned top = 63;
        while (!(value >> top)) --top;
        for (unsigned i = top; i-- > 0;) {
            bit(unsigned(value >> i) & 1);
            bit(i != 0);
        }
        return *this;
    }
    StreamWriter& width8() { return bits(0b001, 3).bits(0, 4).bits(0, 1).bits(1, 1); }
    StreamWriter& width7(uint8_t offset) { return bits(0b001, 3).bits(0, 4).bits(0, 1).bits(0, 1).bits(offset, 8); }
    StreamWriter& literal(uint32_t value, unsigned width) { return bits(1, 1).bits(value, width); }
    StreamWriter& literals(const std::string& s) {
        for (unsigned char c : s) literal(c, 8);
        return *this;
    }
    StreamWriter& repeat(uint64_t length) { return bits(0b01, 2).gamma(2).gamma(length); }
    StreamWriter& phraseFields(uint64_t hi, uint64_t low, unsigned lowBits, uint64_t lengthField) {
        bits(0b01, 2).gamma(hi);
        bits(low, lowBits);
        return gamma(lengthField);
    }
    // A new-distance phrase with indexBase `base`; lengthField excludes the adjustment.
    StreamWriter& phrase(uint64_t distance, uint64_t lengthField, unsigned base = 8) {
        return phraseFields((distance >> base) + 3, distance & ((uint64_t(1) << base) - 1), base, lengthField);
    }
    StreamWriter& rawRun(const std::vector<Bytes>& groups) {
        bits(0b001, 3).bits(0, 4).bits(1, 1);
        for (size_t g = 0; g < groups.size(); ++g) {
            for (uint8_t b : groups[g]) bits(b, 8);
            bits(g + 1 < groups.size(), 1);
        }
        return *this;
    }
    StreamWriter& zero() { return bits(0b001, 3).bits(1, 4); }
    StreamWriter& near(unsigned distance) { return bits(0b001, 3).bits(distance + 1, 4); }
    StreamWriter& shortMatch(unsigned distance, unsigned length) {
        return bits(0b000, 3).bits(distance, 7).bits(length - 2, 2);
    }
    StreamWriter& indexBase(unsigned lengthCode, unsigned value) {
        return bits(0b000, 3).bits(0, 7).bits(lengthCode, 2).bits(value, lengthCode + 3);
    }
    StreamWriter& end() { return bits(0, 12); }

    Bytes block(uint32_t unpackedSize, uint32_t checksum = 0) const {
        Bytes out = {'J', 'C'};
        putLe32(out, unpackedSize);
        putLe32(out, checksum);
        std::vector<uint32_t> all = words_;
        if (used_ != 0) all.push_back(current_);
        for (uint32_t w : all) putLe32(out, w);
        return out;
    }

private:
    static void putLe32(Bytes& out, uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
    }
    void bit(unsigned b) {
        current_ |= uint32_t(b) << (31 - used_);
        if (++used_ == 32) {
            words_.push_back(current_);
            current_ = 0;
            used_ = 0;
        }
    }
    std::vector<uint32_t> words_;
    uint32_t current_ = 0;
    unsigned used_ = 0;
};

struct Decoded {
    BlockStatus status;
    Bytes output;
};

Decoded decode(const Bytes& block, size_t capacity) {
    Bytes out(capacity + 1, 0xEE);  // one guard byte past the capacity
    size_t written = 0;
    BlockStatus status = decodeBlock(block.data(), block.size(), out.data(), capacity, written);
    EXPECT_EQ(out[capacity], 0xEE) << "wrote past the capacity";
    EXPECT_LE(written, capacity);
    out.resize(written);
    return {status, out};
}

Decoded decode(const Bytes& block) {
    BlockHeader header;
    size_t capacity = readBlockHeader(block.data(), block.size(), header) ? header.unpackedSize + kBlockSpareBytes : 64;
    return decode(block, capacity);
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes sequence(size_t n, uint8_t first = 0) {
    Bytes out(n);
    for (size_t i = 0; i < n; ++i) out[i] = uint8_t(first + i);
    return out;
}

}  // namespace

TEST(BlockChecksum, KnownValues) {
    EXPECT_EQ(blockChecksum(reinterpret_cast<const uint8_t*>("abcd"), 4), 0xACA5A6A2u);
    EXPECT_EQ(blockChecksum(reinterpret_cast<const uint8_t*>("abcde"), 5), 0xD8C2CCC1u);
    EXPECT_EQ(blockChecksum(reinterpret_cast<const uint8_t*>("abc"), 3), 0u);
    EXPECT_EQ(blockChecksum(nullptr, 0), 0u);
}

TEST(BlockChecksum, LastWordEndsAtTheEnd) {
    // With 9 bytes the words taken are 0..3, 4..7 and 5..8; changing byte 8
    // alone must change the result, and so must byte 5, taken twice.
    Bytes data = bytesOf("abcdefghi");
    uint32_t base = blockChecksum(data.data(), data.size());
    for (size_t i : {size_t(0), size_t(5), size_t(8)}) {
        Bytes changed = data;
        changed[i] ^= 0x40;
        EXPECT_NE(blockChecksum(changed.data(), changed.size()), base) << "byte " << i;
    }
}

TEST(BlockDecoder, TheAbcBlock) {
    const Bytes block = {0x4A, 0x43, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                         0x00, 0x56, 0x6C, 0xD8, 0x20, 0x00, 0x00, 0x00, 0x30};
    Decoded d = decode(block);
    EXPECT_EQ(d.status, BlockStatus::Ok);
    EXPECT_EQ(d.output, bytesOf("abc"));
    // The writer here spells the same stream.
    EXPECT_EQ(StreamWriter().width8().literals("abc").end().block(3), block);

    uint8_t out[3 + kBlockSpareBytes] = {};
    EXPECT_EQ(unpackBlock(block.data(), block.size(), out, sizeof out), 3);
    EXPECT_TRUE(decodeBlockExact(block.data(), block.size(), out, sizeof out, 3));
    EXPECT_FALSE(decodeBlockExact(block.data(), block.size(), out, sizeof out, 4));
}

struct GoodCase {
    const char* name;
    std::function<void(StreamWriter&)> codes;
    Bytes expected;
};

TEST(BlockDecoder, EveryCode) {
    const std::vector<GoodCase> cases = {
        {"8-bit literals are output unchanged",
         [](StreamWriter& w) { w.width8().literal(0x00, 8).literal(0xFF, 8).literal(0x80, 8); },
         {0x00, 0xFF, 0x80}},
        {"7-bit literals add the offset",
         [](StreamWriter& w) { w.width7(10).literal(127, 7).literal(0, 7); },
         {137, 10}},
        {"7-bit literals wrap modulo 256",
         [](StreamWriter& w) { w.width7(200).literal(100, 7); },
         {44}},
        {"a width change in mid-stream applies to later literals",
         [](StreamWriter& w) { w.width8().literal('A', 8).width7(0x60).literal(1, 7).width8().literal(0xFF, 8); },
         {'A', 0x61, 0xFF}},
        {"a raw run ignores the literal offset",
         [](StreamWriter& w) { w.width7(5).rawRun({sequence(256)}).literal(0, 7); },
         concat({sequence(256), {5}})},
        {"a raw run continues while a 1 bit follows each group",
         [](StreamWriter& w) { w.rawRun({sequence(256, 1), sequence(256, 2)}); },
         concat({sequence(256, 1), sequence(256, 2)})},
        {"the zero byte",
         [](StreamWriter& w) { w.zero().zero(); },
         {0, 0}},
        {"one-byte copies from distance 1 to 14",
         [](StreamWriter& w) { w.width8().literals("abcdefghijklmn").near(14).near(1).near(3); },
         concat({bytesOf("abcdefghijklmn"), bytesOf("aan")})},
        {"short matches copy 2 to 5 bytes",
         [](StreamWriter& w) {
             w.width8().literals("abc").shortMatch(3, 2).shortMatch(1, 3).shortMatch(5, 4).shortMatch(2, 5);
         },
         bytesOf("abcabbbbabbbbbbbb")},
        {"a repeat uses the short match's distance",
         [](StreamWriter& w) { w.width8().literals("xyz").shortMatch(3, 2).repeat(4); },
         bytesOf("xyzxyzxyz")},
        {"a one-byte copy leaves lastIndex alone",
         [](StreamWriter& w) { w.width8().literals("abcd").shortMatch(2, 2).near(5).repeat(2); },
         bytesOf("abcdcdbdb")},
        {"distance 1 with length 6 repeats the last byte",
         [](StreamWriter& w) { w.width8().literal('x', 8).repeat(6); },
         bytesOf("xxxxxxx")},
        {"a new distance below 128 adds 4 to the length and becomes lastIndex",
         [](StreamWriter& w) { w.width8().literals("abcd").phrase(4, 2).repeat(3); },
         bytesOf("abcdabcdab" "cda")},
        {"a lower indexBase applies to later phrases",
         [](StreamWriter& w) { w.width8().literals("0123456789").indexBase(1, 2).phrase(9, 2, 2).phrase(10, 3, 2); },
         bytesOf("0123456789" "123456" "6789123")},
        {"indexBase read with 5 and 6 bits",
         [](StreamWriter& w) {
             w.width8().literals("abcdef").indexBase(2, 17).phrase(6, 2, 17).indexBase(3, 40).phrase(3, 2, 40);
         },
         bytesOf("abcdef" "abcdef" "defdef")},
        {"indexBase 0 still allows a repeat",
         [](StreamWriter& w) { w.width8().literals("ab").indexBase(1, 0).repeat(3); },
         bytesOf("abbbb")},
    };
    for (const GoodCase& c : cases) {
        StreamWriter w;
        c.codes(w);
        Bytes block = w.end().block(uint32_t(c.expected.size()), blockChecksum(c.expected.data(), c.expected.size()));
        Decoded d = decode(block);
        EXPECT_EQ(d.status, BlockStatus::Ok) << c.name << ": " << blockStatusName(d.status);
        EXPECT_EQ(d.output, c.expected) << c.name;
    }
}

TEST(BlockDecoder, LengthAdjustmentByDistance) {
    const struct {
        uint32_t distance;
        uint32_t added;
    } cases[] = {{127, 4}, {128, 0}, {638, 0}, {639, 1}, {14334, 1}, {14335, 2}, {65535, 2}, {65536, 3}, {70000, 3}};
    for (auto c : cases) {
        // 'M', then zeros up to the distance, then a phrase back to the 'M'.
        StreamWriter w;
        w.width8().literal('M', 8).zero();
        if (c.distance > 2) w.repeat(c.distance - 2);
        w.phrase(c.distance, 2).end();
        Bytes expected(c.distance + 2 + c.added, 0);
        expected[0] = 'M';
        expected[c.distance] = 'M';
        Decoded d = decode(w.block(uint32_t(expected.size())));
        EXPECT_EQ(d.status, BlockStatus::Ok) << c.distance;
        EXPECT_EQ(d.output, expected) << "distance " << c.distance;
    }
}

TEST(BlockDecoder, CopiesMatchByteByByteSemantics) {
    // Every distance and length a fast copy might get wrong, with no spare
    // room after the output as well as with the usual 8 and more.
    const Bytes prefix = sequence(40, 1);
    for (unsigned distance = 1; distance <= 40; ++distance) {
        for (unsigned length = 4; length <= 70; ++length) {
            Bytes expected = prefix;
            for (unsigned i = 0; i < length; ++i) expected.push_back(expected[expected.size() - distance]);
            StreamWriter w;
            w.width8();
            for (uint8_t b : prefix) w.literal(b, 8);
            w.shortMatch(distance, 2).repeat(length - 2).end();
            Bytes block = w.block(uint32_t(expected.size()));
            for (size_t spare : {size_t(0), size_t(8), size_t(40)}) {
                Decoded d = decode(block, expected.size() + spare);
                ASSERT_EQ(d.status, BlockStatus::Ok);
                ASSERT_EQ(d.output, expected) << "distance " << distance << " length " << length << " spare " << spare;
            }
        }
    }
}

TEST(BlockDecoder, StateStartsAfreshInEveryBlock) {
    Bytes first = StreamWriter().width7(0x40).literal(1, 7).indexBase(1, 2).end().block(1);
    Bytes second = StreamWriter().width8().literals("ab").phrase(2, 2).end().block(8);
    EXPECT_EQ(decode(first).output, Bytes{0x41});
    Decoded d = decode(second);
    EXPECT_EQ(d.status, BlockStatus::Ok);
    EXPECT_EQ(d.output, bytesOf("abababab"));
    // A third block that uses a literal at once: no width survives either.
    EXPECT_EQ(decode(StreamWriter().literal(1, 8).end().block(1)).status, BlockStatus::NoLiteralWidth);
}

struct BadCase {
    const char* name;
    std::function<void(StreamWriter&)> codes;
    uint32_t unpackedSize;
    BlockStatus expected;
};

TEST(BlockDecoder, MalformedStreamsAreRefused) {
    const std::vector<BadCase> cases = {
        {"a literal before any width code", [](StreamWriter& w) { w.literal(1, 8); }, 1,
         BlockStatus::NoLiteralWidth},
        {"a repeat before any output", [](StreamWriter& w) { w.repeat(2); }, 2, BlockStatus::BadDistance},
        {"a one-byte copy from before the start", [](StreamWriter& w) { w.width8().literals("ab").near(3); }, 3,
         BlockStatus::BadDistance},
        {"a short match from before the start",
         [](StreamWriter& w) { w.width8().literals("abcd").shortMatch(5, 2); }, 6, BlockStatus::BadDistance},
        {"a phrase with distance 0", [](StreamWriter& w) { w.width8().literals("ab").phraseFields(3, 0, 8, 2); }, 8,
         BlockStatus::BadDistance},
        {"a phrase from before the start", [](StreamWriter& w) { w.width8().literals("ab").phrase(3, 2); }, 8,
         BlockStatus::BadDistance},
        {"an indexBase above 32 with high distance bits",
         [](StreamWriter& w) { w.width8().literals("ab").indexBase(3, 40).phraseFields(4, 1, 40, 2); }, 8,
         BlockStatus::BadDistance},
        {"a new distance with indexBase 0",
         [](StreamWriter& w) { w.width8().literals("ab").indexBase(1, 0).phraseFields(3, 0, 0, 2); }, 8,
         BlockStatus::ZeroWidth},
        {"a length gamma above 32 bits",
         [](StreamWriter& w) { w.width8().literals("a").repeat(uint64_t(1) << 32); }, 8, BlockStatus::BadGamma},
        {"a distance gamma above 32 bits",
         [](StreamWriter& w) { w.width8().literals("a").phraseFields(uint64_t(1) << 33, 0, 8, 2); }, 8,
         BlockStatus::BadGamma},
        {"the largest length gamma overflows the output",
         [](StreamWriter& w) { w.width8().literals("a").repeat(0xFFFFFFFFu); }, 8, BlockStatus::Overflow},
        {"a literal past the unpacked size", [](StreamWriter& w) { w.width8().literals("abc"); }, 2,
         BlockStatus::Overflow},
        {"a zero byte past the unpacked size", [](StreamWriter& w) { w.zero().zero(); }, 1, BlockStatus::Overflow},
        {"a one-byte copy past the unpacked size", [](StreamWriter& w) { w.width8().literals("a").near(1); }, 1,
         BlockStatus::Overflow},
        {"a copy past the unpacked size, inside the spare bytes",
         [](StreamWriter& w) { w.width8().literals("a").repeat(7); }, 6, BlockStatus::Overflow},
        {"a raw run past the unpacked size", [](StreamWriter& w) { w.rawRun({sequence(256)}); }, 255,
         BlockStatus::Overflow},
    };
    for (const BadCase& c : cases) {
        StreamWriter w;
        c.codes(w);
        Bytes block = w.end().block(c.unpackedSize);
        Decoded d = decode(block);
        EXPECT_EQ(d.status, c.expected) << c.name << ": got " << blockStatusName(d.status);
        Bytes out(c.unpackedSize + kBlockSpareBytes);
        EXPECT_EQ(unpackBlock(block.data(), block.size(), out.data(), out.size()), 0) << c.name;
    }
}

TEST(BlockDecoder, HeaderAndLengthFaults) {
    const Bytes good = StreamWriter().width8().literals("abc").end().block(3);
    // Shorter than a header, at every length.
    for (size_t size = 0; size < kBlockHeaderSize; ++size) {
        uint8_t out[16];
        size_t written = 1;
        EXPECT_EQ(decodeBlock(good.data(), size, out, sizeof out, written), BlockStatus::Truncated) << size;
        EXPECT_EQ(written, 0u);
    }
    // Cut inside the stream: a missing last word, or a partial one.
    for (size_t cut : {size_t(4), size_t(1), size_t(3)}) {
        Bytes shorter(good.begin(), good.end() - cut);
        EXPECT_EQ(decode(shorter, 16).status, BlockStatus::Truncated) << cut;
    }
    // Bytes after the block are not part of it and are not read.
    Bytes longer = good;
    longer.insert(longer.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(decode(longer, 16).output, bytesOf("abc"));

    Bytes wrongMagic = good;
    wrongMagic[1] = 'D';
    EXPECT_EQ(decode(wrongMagic, 16).status, BlockStatus::BadMagic);
    // A header promising more than the buffer holds is refused before any output.
    Decoded tooSmall = decode(good, 2);
    EXPECT_EQ(tooSmall.status, BlockStatus::Overflow);
    EXPECT_TRUE(tooSmall.output.empty());

    uint8_t out[16];
    EXPECT_EQ(unpackBlock(nullptr, good.size(), out, sizeof out), 0);
    EXPECT_EQ(unpackBlock(good.data(), good.size(), nullptr, 16), 0);
}

TEST(BlockDecoder, Checksums) {
    const Bytes data = bytesOf("checksummed");
    auto blockWith = [&](uint32_t unpackedSize, uint32_t checksum, const std::string& text) {
        return StreamWriter().width8().literals(text).end().block(unpackedSize, checksum);
    };
    const uint32_t right = blockChecksum(data.data(), data.size());
    uint8_t out[32];

    Bytes good = blockWith(11, right, "checksummed");
    EXPECT_EQ(unpackBlock(good.data(), good.size(), out, sizeof out), 11);

    // A mismatch is refused, with the decoded bytes left in the buffer.
    Bytes bad = blockWith(11, right ^ 1, "checksummed");
    size_t written = 0;
    EXPECT_EQ(decodeBlock(bad.data(), bad.size(), out, sizeof out, written), BlockStatus::BadChecksum);
    EXPECT_EQ(Bytes(out, out + written), data);
    EXPECT_EQ(unpackBlock(bad.data(), bad.size(), out, sizeof out), 0);
    EXPECT_FALSE(decodeBlockExact(bad.data(), bad.size(), out, sizeof out, 11));

    // Below 4 bytes the checksum is 0, so any other stored value fails.
    Bytes tiny = blockWith(3, 1, "abc");
    EXPECT_EQ(decode(tiny).status, BlockStatus::BadChecksum);

    // Checksum 0 is never checked, and a short output then still counts its bytes.
    Bytes unchecked = blockWith(11, 0, "check");
    EXPECT_EQ(unpackBlock(unchecked.data(), unchecked.size(), out, sizeof out), 5);
    EXPECT_FALSE(decodeBlockExact(unchecked.data(), unchecked.size(), out, sizeof out, 11));
    // A checksum over bytes that were never written cannot be trusted.
    Bytes shortChecked = blockWith(11, right, "check");
    EXPECT_EQ(decode(shortChecked).status, BlockStatus::ShortOutput);
}
