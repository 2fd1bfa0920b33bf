#include "payload/block_codec.h"

#include <cstring>

// How the decoder stays in bounds cheaply.
//
// Input: the bit register is a 64-bit accumulator refilled one 32-bit word at
// a time, only when fewer than 32 unread bits remain, so every code that fits
// in 32 bits (all but the gamma-coded phrase and the raw run) costs one refill
// test. Past the block's last whole word the refill feeds zero words and
// counts them; the block overran when a fed zero bit was consumed. Zeros
// decode as the end code, so an overrun stops within one code, and the check
// is made once, where decoding stops.
//
// Output: each code checks its whole length against the header's unpacked
// size once, and each copy checks its distance against the bytes written.
// Copies move 16 or 8 bytes at a time when the distance allows it and the
// buffer has room for the overshoot (callers give 8 spare bytes); otherwise
// they go byte by byte, which is what the format means for overlapping copies.

namespace {

uint32_t loadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

struct BitReader {
    uint64_t acc = 0;               // unread bits, the next one in bit 63
    unsigned avail = 0;             // bits held in acc (stream bits and fed zeros)
    unsigned fed = 0;               // zero bits fed past the end, counted from acc's end
    const uint8_t* next = nullptr;  // next word to fetch
    const uint8_t* end = nullptr;   // end of the block's last whole word

    // Adds one word; only called while avail <= 32.
    void refill() {
        uint32_t word = 0;
        if (next != end) {
            word = loadLe32(next);
            next += 4;
        } else {
            fed += 32;
        }
        acc |= uint64_t(word) << (32 - avail);
        avail += 32;
    }
    void ensure(unsigned n) {  // n <= 32
        if (avail < n) refill();
    }
    uint32_t peek(unsigned n) const { return uint32_t(acc >> (64 - n)); }  // 1 <= n <= 32
    void skip(unsigned n) {
        acc <<= n;
        avail -= n;
    }
    uint32_t take(unsigned n) {  // 1 <= n <= 32
        ensure(n);
        uint32_t v = peek(n);
        skip(n);
        return v;
    }
    bool overran() const { return fed > avail; }
};

// Gamma codes of up to four steps decoded from the next 8 bits: the value
// and the bits used, or 0 bits when the code is longer.
struct GammaEntry {
    uint8_t value;  // 2 to 31
    uint8_t bits;   // 2, 4, 6, 8, or 0 when the code does not end within 8 bits
};

struct GammaTable {
    GammaEntry entries[256];
    constexpr GammaTable() : entries() {
        for (unsigned byte = 0; byte < 256; ++byte) {
            unsigned v = 1;
            entries[byte] = {0, 0};
            for (unsigned step = 0; step < 4; ++step) {
                unsigned pair = (byte >> (6 - 2 * step)) & 3;
                v = 2 * v + (pair >> 1);
                if ((pair & 1) == 0) {
                    entries[byte] = {uint8_t(v), uint8_t(2 * step + 2)};
                    break;
                }
            }
        }
    }
};
constexpr GammaTable kGamma;

// The rest of a gamma code whose first four steps all continued.
bool readLongGamma(BitReader& in, uint32_t& value) {
    // Their value bits follow the leading 1.
    uint32_t byte = in.peek(8);
    uint32_t v = 16 | ((byte >> 4) & 8) | ((byte >> 3) & 4) | ((byte >> 2) & 2) | ((byte >> 1) & 1);
    in.skip(8);
    for (;;) {
        in.ensure(2);
        uint32_t pair = in.peek(2);
        in.skip(2);
        if (v >> 31) return false;
        v = 2 * v + (pair >> 1);
        if ((pair & 1) == 0) break;
    }
    value = v;
    return true;
}

// Reads a gamma value; false when it does not fit in 32 bits.
inline bool readGamma(BitReader& in, uint32_t& value) {
    in.ensure(8);
    GammaEntry e = kGamma.entries[in.peek(8)];
    if (e.bits == 0) return readLongGamma(in, value);
    in.skip(e.bits);
    value = e.value;
    return true;
}

// Length added to a phrase with a new distance.
uint32_t lengthAdjustment(uint64_t distance) {
    if (distance < 0x80) return 4;
    if (distance < 0x27F) return 0;
    if (distance < 0x37FF) return 1;
    if (distance < 0x10000) return 2;
    return 3;
}

struct Output {
    uint8_t* start;        // the buffer
    uint8_t* pos;          // next byte to write
    uint8_t* limit;        // start + the header's unpacked size
    uint8_t* bufferEnd;    // start + the caller's capacity (>= limit)
};

// Copies `length` bytes from `distance` back; the caller has checked both.
inline void copyMatch(Output& out, size_t distance, size_t length) {
    uint8_t* op = out.pos;
    const uint8_t* src = op - distance;
    size_t room = size_t(out.bufferEnd - op);
    out.pos = op + length;
    if (distance >= 16 && room >= length + 16) {
        for (size_t i = 0; i < length; i += 16) std::memcpy(op + i, src + i, 16);
    } else if (distance >= 8 && room >= length + 8) {
        for (size_t i = 0; i < length; i += 8) std::memcpy(op + i, src + i, 8);
    } else if (distance == 1) {
        std::memset(op, op[-1], length);
    } else {
        for (size_t i = 0; i < length; ++i) op[i] = src[i];
    }
}

inline BlockStatus checkedCopy(Output& out, uint64_t distance, uint64_t length) {
    if (distance == 0 || distance > uint64_t(out.pos - out.start)) return BlockStatus::BadDistance;
    if (length > uint64_t(out.limit - out.pos)) return BlockStatus::Overflow;
    copyMatch(out, size_t(distance), size_t(length));
    return BlockStatus::Ok;
}

// Decoder state carried from code to code.
struct DecoderState {
    unsigned literalBits = 0;    // 7 or 8; 0 until the first literal-width code
    uint32_t literalOffset = 0;  // added to every literal, modulo 256
    unsigned indexBase = 8;      // low distance bits of a new-distance phrase
    uint32_t lastIndex = 1;      // the distance most recently set
};

// The phrase after prefix 01: a repeat of lastIndex or a new distance.
BlockStatus decodePhrase(BitReader& in, DecoderState& st, Output& out) {
    uint32_t hi = 0;
    uint32_t len = 0;
    if (!readGamma(in, hi)) return BlockStatus::BadGamma;
    if (hi == 2) {
        if (!readGamma(in, len)) return BlockStatus::BadGamma;
        return checkedCopy(out, st.lastIndex, len);
    }
    if (st.indexBase == 0) return BlockStatus::ZeroWidth;
    uint64_t distance = 0;
    if (st.indexBase > 32) {
        // Only hi == 3 with leading zero low bits can name a distance below 2^32.
        if (hi != 3 || in.take(st.indexBase - 32) != 0) return BlockStatus::BadDistance;
        distance = in.take(32);
    } else {
        distance = (uint64_t(hi - 3) << st.indexBase) + in.take(st.indexBase);
    }
    if (!readGamma(in, len)) return BlockStatus::BadGamma;
    if (distance == 0 || distance > uint64_t(out.pos - out.start)) return BlockStatus::BadDistance;
    st.lastIndex = uint32_t(distance);
    return checkedCopy(out, distance, uint64_t(len) + lengthAdjustment(distance));
}

// Raw run: 256-byte groups of plain 8-bit bytes while a 1 bit follows each.
BlockStatus decodeRawRun(BitReader& in, Output& out) {
    do {
        if (out.limit - out.pos < 256) return BlockStatus::Overflow;
        for (int i = 0; i < 256; ++i) *out.pos++ = uint8_t(in.take(8));
    } while (in.take(1) == 1);
    return BlockStatus::Ok;
}

// The codes after prefix 001.
BlockStatus decodeControl(BitReader& in, DecoderState& st, Output& out) {
    uint32_t v = in.take(4);
    if (v == 0) {
        if (in.take(1) == 1) return decodeRawRun(in, out);
        st.literalBits = 7 + in.take(1);
        st.literalOffset = st.literalBits == 7 ? in.take(8) : 0;
        return BlockStatus::Ok;
    }
    if (v == 1) {
        if (out.pos == out.limit) return BlockStatus::Overflow;
        *out.pos++ = 0;
        return BlockStatus::Ok;
    }
    // A one-byte copy from distance 1 to 14.
    size_t distance = v - 1;
    if (distance > size_t(out.pos - out.start)) return BlockStatus::BadDistance;
    if (out.pos == out.limit) return BlockStatus::Overflow;
    *out.pos = out.pos[-std::ptrdiff_t(distance)];
    ++out.pos;
    return BlockStatus::Ok;
}

BlockStatus decodeStream(BitReader& in, Output& out) {
    DecoderState st;
    for (;;) {
        if (in.avail < 32) in.refill();
        uint32_t top3 = in.peek(3);
        BlockStatus status = BlockStatus::Ok;
        if (top3 >= 4) {  // 1: literals, decoded in a run while they last
            if (st.literalBits == 0) return BlockStatus::NoLiteralWidth;
            const unsigned width = st.literalBits + 1;  // the prefix bit and the value
            const uint32_t mask = (1u << st.literalBits) - 1;
            do {
                if (out.pos == out.limit) return BlockStatus::Overflow;
                uint32_t v = in.peek(width) & mask;
                in.skip(width);
                *out.pos++ = uint8_t(v + st.literalOffset);
                if (in.avail < 9) in.refill();
            } while (in.acc >> 63);
            continue;
        }
        if (top3 >= 2) {  // 01: phrase
            in.skip(2);
            status = decodePhrase(in, st, out);
        } else if (top3 == 1) {  // 001: control codes
            in.skip(3);
            status = decodeControl(in, st, out);
        } else {  // 000: short match, end, indexBase change
            in.skip(3);
            uint32_t d = in.peek(7);
            uint32_t l = (in.peek(9)) & 3;
            in.skip(9);
            if (d != 0) {
                st.lastIndex = d;
                status = checkedCopy(out, d, l + 2);
            } else if (l == 0) {
                return BlockStatus::Ok;
            } else {
                st.indexBase = in.take(l + 3);
            }
        }
        if (status != BlockStatus::Ok) return status;
    }
}

}  // namespace

const char* blockStatusName(BlockStatus status) {
    switch (status) {
        case BlockStatus::Ok: return "ok";
        case BlockStatus::BadMagic: return "no block magic";
        case BlockStatus::Truncated: return "truncated block";
        case BlockStatus::BadDistance: return "copy distance out of range";
        case BlockStatus::Overflow: return "output past the unpacked size";
        case BlockStatus::ZeroWidth: return "zero-width distance";
        case BlockStatus::NoLiteralWidth: return "literal before a literal-width code";
        case BlockStatus::BadGamma: return "gamma value too large";
        case BlockStatus::ShortOutput: return "fewer bytes than the unpacked size";
        case BlockStatus::BadChecksum: return "checksum mismatch";
    }
    return "unknown";
}

uint32_t blockChecksum(const uint8_t* data, size_t length) {
    uint32_t s = 0;
    if (length < 4) return 0;
    auto mix = [&s](uint32_t w) {
        s += w;
        s ^= ((w << 1) | (w >> 31)) + 1;
    };
    size_t i = 0;
    for (; length - i >= 4; i += 4) mix(loadLe32(data + i));
    if (i != length) mix(loadLe32(data + length - 4));
    return s;
}

bool readBlockHeader(const uint8_t* block, size_t blockSize, BlockHeader& header) {
    if (block == nullptr || blockSize < kBlockHeaderSize) return false;
    if (block[0] != 'J' || block[1] != 'C') return false;
    header.unpackedSize = loadLe32(block + 2);
    header.checksum = loadLe32(block + 6);
    return true;
}

BlockStatus decodeBlock(const uint8_t* block, size_t blockSize, uint8_t* out, size_t outCapacity,
                        size_t& written) {
    written = 0;
    if (block == nullptr || blockSize < kBlockHeaderSize) return BlockStatus::Truncated;
    BlockHeader header;
    if (!readBlockHeader(block, blockSize, header)) return BlockStatus::BadMagic;
    if (out == nullptr) outCapacity = 0;
    if (header.unpackedSize > outCapacity) return BlockStatus::Overflow;

    BitReader in;
    in.next = block + kBlockHeaderSize;
    in.end = in.next + (blockSize - kBlockHeaderSize) / 4 * 4;
    Output output{out, out, out + header.unpackedSize, out + outCapacity};
    BlockStatus status = decodeStream(in, output);
    written = size_t(output.pos - out);
    // Whatever else went wrong, reading past the block is the first fault.
    if (in.overran()) return BlockStatus::Truncated;
    if (status != BlockStatus::Ok) return status;
    if (header.checksum != 0) {
        if (written != header.unpackedSize) return BlockStatus::ShortOutput;
        if (blockChecksum(out, written) != header.checksum) return BlockStatus::BadChecksum;
    }
    return BlockStatus::Ok;
}

int32_t unpackBlock(const uint8_t* block, size_t blockSize, uint8_t* out, size_t outCapacity) {
    if (block == nullptr || out == nullptr) return 0;
    size_t written = 0;
    if (decodeBlock(block, blockSize, out, outCapacity, written) != BlockStatus::Ok) return 0;
    if (written > size_t(INT32_MAX)) return 0;
    return int32_t(written);
}

bool decodeBlockExact(const uint8_t* block, size_t blockSize, uint8_t* out, size_t outCapacity,
                      uint32_t expectedSize) {
    BlockHeader header;
    if (!readBlockHeader(block, blockSize, header) || header.unpackedSize != expectedSize) return false;
    size_t written = 0;
    return decodeBlock(block, blockSize, out, outCapacity, written) == BlockStatus::Ok &&
           written == expectedSize;
}
