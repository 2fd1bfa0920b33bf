#include "block_encoder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "payload/block_codec.h"

// How a block is made, chunk by chunk:
//  1. parse the chunk into tokens (literals, single bytes, matches, raw runs),
//     pricing literals as 8-bit ones;
//  2. plan the literal widths (stretches whose literals fit a 128-value window
//     become 7-bit with an offset) and the indexBase that suits the chunk's
//     distances;
//  3. levels 7-9 parse again with the planned prices (level 9 plans and
//     parses a third time), reusing the matches found the first time;
//  4. write the tokens, switching literal width lazily, right before the first
//     literal that needs it.

namespace {

// ---------------------------------------------------------------------------
// Prices of the codes, in bits.

constexpr uint32_t kInfinite = std::numeric_limits<uint32_t>::max();
constexpr uint32_t kSingleByteBits = 7;       // the zero byte and the one-byte copy
constexpr uint32_t kShortMatchBits = 12;      // 000, 7-bit distance, 2-bit length
constexpr uint32_t kRawRunBits = 8 + 2049;    // 001 0000 1, 256 bytes, continue bit
constexpr uint32_t kWidth8Bits = 9;           // 001 0000 0 1
constexpr uint32_t kWidth7Bits = 17;          // 001 0000 0 0 offset
constexpr uint32_t kMaxShortDistance = 127;
constexpr uint32_t kMaxNearDistance = 14;
constexpr unsigned kInitialIndexBase = 8;
constexpr unsigned kMaxIndexBase = 24;         // distances stay below 2^32 with a cheap hi

uint32_t gammaBits(uint32_t v) { return 2 * (uint32_t(std::bit_width(v)) - 1); }  // v >= 2

uint32_t lengthAdjustment(uint32_t distance) {
    if (distance < 0x80) return 4;
    if (distance < 0x27F) return 0;
    if (distance < 0x37FF) return 1;
    if (distance < 0x10000) return 2;
    return 3;
}

uint32_t repeatBits(uint32_t length) { return 4 + gammaBits(length); }

uint32_t distanceBits(uint32_t distance, unsigned indexBase) {
    return 2 + gammaBits((distance >> indexBase) + 3) + indexBase;
}

bool shortMatchFits(uint32_t distance, uint32_t length) {
    return distance <= kMaxShortDistance && length >= 2 && length <= 5;
}

// A match with a distance other than lastIndex: a short match or a phrase.
uint32_t matchBits(uint32_t distance, uint32_t length, unsigned indexBase) {
    if (shortMatchFits(distance, length)) return kShortMatchBits;
    uint32_t adjust = lengthAdjustment(distance);
    if (length < adjust + 2) return kInfinite;
    return distanceBits(distance, indexBase) + gammaBits(length - adjust);
}

uint32_t indexBaseChangeBits(unsigned value) { return 12 + (value < 16 ? 4 : value < 32 ? 5 : 6); }

// ---------------------------------------------------------------------------
// Byte helpers.

uint64_t load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// Bytes equal at a and b, up to limit.
size_t matchLength(const uint8_t* a, const uint8_t* b, size_t limit) {
    size_t n = 0;
    if constexpr (std::endian::native == std::endian::little) {
        while (n + 8 <= limit) {
            uint64_t diff = load64(a + n) ^ load64(b + n);
            if (diff != 0) return n + size_t(std::countr_zero(diff)) / 8;
            n += 8;
        }
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

// The nearest earlier byte equal to data[pos] within 14, or 0.
uint32_t nearDistance(const uint8_t* data, size_t pos) {
    size_t reach = std::min<size_t>(pos, kMaxNearDistance);
    for (size_t k = 1; k <= reach; ++k) {
        if (data[pos - k] == data[pos]) return uint32_t(k);
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Tokens: what a parse decides, before codes are chosen for it.

enum class TokenKind : uint8_t {
    Literal,  // one byte as a literal
    Zero,     // the zero-byte code
    Near,     // a one-byte copy from distance 1..14
    Match,    // a copy that sets lastIndex (short match or phrase)
    Repeat,   // a copy from lastIndex
    RawRun,   // 256 plain bytes
};

struct Token {
    TokenKind kind;     // which code
    uint32_t length;    // bytes covered
    uint32_t distance;  // copy distance (Near, Match, Repeat)
};

// A literal width: 8 bits, or 7 bits plus an offset modulo 256.
struct LiteralMode {
    uint8_t bits = 8;    // 7 or 8
    uint8_t offset = 0;  // added by the decoder to 7-bit values
    bool operator==(const LiteralMode&) const = default;
};

bool modeFits(LiteralMode mode, uint8_t value) {
    return mode.bits == 8 || uint8_t(value - mode.offset) < 128;
}

// The planned mode from `start` up to the next span.
struct ModeSpan {
    size_t start;      // absolute position of the span's first literal
    LiteralMode mode;  // its width
};

// What a chunk's second parse prices and the writer follows.
struct ChunkPlan {
    std::vector<ModeSpan> spans;  // sorted by start; the first starts at the chunk
    unsigned indexBase = kInitialIndexBase;
};

// Extra bits of a literal that does not fit its planned mode: a switch to 8
// bits before it and a switch back after it.
constexpr uint32_t kExceptionBits = kWidth8Bits + kWidth7Bits;

// Literal prices along a chunk, following its spans; positions must be asked in
// increasing order.
class LiteralPricer {
public:
    explicit LiteralPricer(const std::vector<ModeSpan>* spans) : spans_(spans) {}
    uint32_t bits(size_t pos, uint8_t value) {
        if (spans_ == nullptr || spans_->empty()) return 9;
        while (next_ + 1 < spans_->size() && (*spans_)[next_ + 1].start <= pos) ++next_;
        LiteralMode mode = (*spans_)[next_].mode;
        return modeFits(mode, value) ? 1u + mode.bits : 9 + kExceptionBits;
    }

private:
    const std::vector<ModeSpan>* spans_;
    size_t next_ = 0;
};

// ---------------------------------------------------------------------------
// Planning literal widths and indexBase from a parse.

// The smallest arc of byte values (modulo 256) holding every value added, as
// long as it spans at most 128 values: then one 7-bit window with offset `lo`
// covers them. While the arc is under half the circle, the smallest arc after
// adding a value outside it is one of its two extensions to that value.
class ValueWindow {
public:
    // Adds a value; false (and no change) when the values would no longer fit.
    bool add(uint8_t v) {
        if (empty_) {
            lo_ = v;
            span_ = 0;
            empty_ = false;
            return true;
        }
        unsigned ahead = uint8_t(v - lo_);
        if (ahead <= span_) return true;
        unsigned forward = ahead;                         // keep lo, reach up to v
        unsigned backward = span_ + uint8_t(lo_ - v);    // start at v instead
        unsigned best = std::min(forward, backward);
        if (best > 127) return false;
        if (backward < forward) lo_ = v;
        span_ = best;
        return true;
    }
    uint8_t offset() const { return lo_; }
    void reset() { empty_ = true; }

private:
    bool empty_ = true;  // no value added yet
    uint8_t lo_ = 0;     // first value of the arc
    unsigned span_ = 0;  // the arc holds lo_ .. lo_ + span_
};

// Stretches of literals that fit one window; long ones become 7-bit spans.
// The break-even: a 7-bit span saves a bit per literal and costs a width code
// on entry (17 bits) and usually an 8-bit code on exit (9 bits).
constexpr size_t kMinSevenBitLiterals = 28;

std::vector<ModeSpan> planLiteralModes(const std::vector<Token>& tokens, const uint8_t* data, size_t chunkStart,
                                       LiteralMode current) {
    struct Stretch {
        size_t start;
        size_t count;
        uint8_t offset;
    };
    std::vector<Stretch> stretches;
    ValueWindow window;
    size_t pos = chunkStart;
    for (const Token& t : tokens) {
        if (t.kind == TokenKind::Literal) {
            if (stretches.empty() || !window.add(data[pos])) {
                window.reset();
                window.add(data[pos]);
                stretches.push_back({pos, 0, 0});
            }
            stretches.back().count++;
            stretches.back().offset = window.offset();
        }
        pos += t.length;
    }
    std::vector<ModeSpan> spans;
    for (const Stretch& s : stretches) {
        LiteralMode mode;
        if (s.count >= kMinSevenBitLiterals) mode = {7, s.offset};
        if (spans.empty() || !(spans.back().mode == mode)) spans.push_back({s.start, mode});
    }
    if (spans.empty()) return {{chunkStart, current}};
    spans.front().start = chunkStart;
    return spans;
}

// The indexBase with the cheapest new-distance phrases for this parse,
// counting the change code; starts from the writer's current one.
unsigned planIndexBase(const std::vector<Token>& tokens, uint32_t lastIndex, unsigned current) {
    std::vector<uint32_t> distances;
    for (const Token& t : tokens) {
        if (t.kind != TokenKind::Match) continue;
        if (t.distance != lastIndex && !shortMatchFits(t.distance, t.length)) distances.push_back(t.distance);
        lastIndex = t.distance;
    }
    unsigned best = current;
    uint64_t bestBits = kInfinite;
    for (unsigned base = 1; base <= kMaxIndexBase; ++base) {
        uint64_t bits = base == current ? 0 : indexBaseChangeBits(base);
        for (uint32_t d : distances) bits += distanceBits(d, base);
        if (bits < bestBits) {
            bestBits = bits;
            best = base;
        }
    }
    return best;
}

// ---------------------------------------------------------------------------
// Writing codes.

class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}
    void put(uint32_t value, unsigned count) {  // count <= 32
        if (count == 0) return;
        acc_ = (acc_ << count) | (value & (count == 32 ? 0xFFFFFFFFu : (1u << count) - 1));
        fill_ += count;
        if (fill_ >= 32) {
            fill_ -= 32;
            word(uint32_t(acc_ >> fill_));
        }
    }
    void gamma(uint32_t v) {  // v >= 2
        for (int i = std::bit_width(v) - 2; i >= 0; --i) put(((v >> i) & 1) << 1 | (i != 0), 2);
    }
    void finish() {
        if (fill_ != 0) word(uint32_t(acc_ << (32 - fill_)));
        fill_ = 0;
    }

private:
    void word(uint32_t w) {
        for (int i = 0; i < 4; ++i) out_.push_back(uint8_t(w >> (8 * i)));
    }
    std::vector<uint8_t>& out_;
    uint64_t acc_ = 0;
    unsigned fill_ = 0;
};

// Turns tokens into codes and keeps the decoder's state in step.
class CodeWriter {
public:
    CodeWriter(std::vector<uint8_t>& out, const uint8_t* data) : bits_(out), data_(data) {}

    uint32_t lastIndex() const { return lastIndex_; }
    unsigned indexBase() const { return indexBase_; }
    LiteralMode mode() const { return mode_; }

    void setMode(LiteralMode mode) {
        bits_.put(0b0010000, 7);
        if (mode.bits == 8) {
            bits_.put(0b01, 2);
        } else {
            bits_.put(0b00, 2);
            bits_.put(mode.offset, 8);
        }
        mode_ = mode;
    }

    void setIndexBase(unsigned value) {
        unsigned lengthCode = value < 16 ? 1 : value < 32 ? 2 : 3;
        bits_.put(0, 10);
        bits_.put(lengthCode, 2);
        bits_.put(value, lengthCode + 3);
        indexBase_ = value;
    }

    void chunk(const std::vector<Token>& tokens, const ChunkPlan& plan, size_t start) {
        if (plan.indexBase != indexBase_) setIndexBase(plan.indexBase);
        size_t span = 0;
        size_t pos = start;
        for (size_t i = 0; i < tokens.size();) {
            const Token& t = tokens[i];
            if (t.kind == TokenKind::RawRun) {
                size_t next = rawRun(tokens, i, pos);
                pos += 256 * (next - i);
                i = next;
                continue;
            }
            while (span + 1 < plan.spans.size() && plan.spans[span + 1].start <= pos) ++span;
            switch (t.kind) {
                case TokenKind::Literal: literal(data_[pos], plan.spans[span].mode); break;
                case TokenKind::Zero: bits_.put(0b0010001, 7); break;
                case TokenKind::Near: bits_.put(0b0010000 | (t.distance + 1), 7); break;
                case TokenKind::Match: match(t.distance, t.length); break;
                case TokenKind::Repeat: repeat(t.length); break;
                case TokenKind::RawRun: break;
            }
            pos += t.length;
            ++i;
        }
    }

    void end() {
        bits_.put(0, 12);
        bits_.finish();
    }

private:
    void literal(uint8_t value, LiteralMode planned) {
        if (!(mode_ == planned) && modeFits(planned, value)) {
            setMode(planned);
        } else if (!modeFits(mode_, value)) {
            setMode(LiteralMode{});
        }
        bits_.put(1, 1);
        bits_.put(uint8_t(value - mode_.offset), mode_.bits);
    }

    void repeat(uint32_t length) {
        bits_.put(0b0100, 4);  // prefix 01, gamma 2
        bits_.gamma(length);
    }

    void match(uint32_t distance, uint32_t length) {
        if (distance == lastIndex_) return repeat(length);
        lastIndex_ = distance;
        if (shortMatchFits(distance, length)) {
            bits_.put(0, 3);
            bits_.put(distance, 7);
            bits_.put(length - 2, 2);
            return;
        }
        bits_.put(0b01, 2);
        bits_.gamma((distance >> indexBase_) + 3);
        bits_.put(distance & ((1u << indexBase_) - 1), indexBase_);
        bits_.gamma(length - lengthAdjustment(distance));
    }

    // Writes the raw run starting at tokens[first] together with the raw runs
    // right after it; returns the index after them.
    size_t rawRun(const std::vector<Token>& tokens, size_t first, size_t pos) {
        bits_.put(0b00100001, 8);
        size_t i = first;
        for (;;) {
            for (int k = 0; k < 256; ++k) bits_.put(data_[pos++], 8);
            ++i;
            bool more = i < tokens.size() && tokens[i].kind == TokenKind::RawRun;
            bits_.put(more, 1);
            if (!more) return i;
        }
    }

    BitWriter bits_;
    const uint8_t* data_;                     // the bytes being encoded
    LiteralMode mode_;                        // the width the decoder has now
    unsigned indexBase_ = kInitialIndexBase;  // the decoder's indexBase
    uint32_t lastIndex_ = 1;                  // the decoder's lastIndex
};

// ---------------------------------------------------------------------------
// Levels.

struct LevelParams {
    bool optimal;          // binary tree + price parse, else hash chain + lazy parse
    unsigned windowLog;    // matches reach back at most 2^windowLog bytes
    unsigned depth;        // chain links or tree nodes visited per position
    unsigned niceLength;   // a match this long is taken without looking further
    bool lazy;             // hash chain: look one position ahead before taking a match
    unsigned passes;       // price parses per chunk (optimal levels)
};

constexpr LevelParams kLevels[9] = {
    {false, 16, 2, 32, false, 0},   {false, 17, 4, 48, false, 0},  {false, 17, 8, 64, true, 0},
    {false, 18, 16, 128, true, 0},  {false, 19, 32, 192, true, 0}, {false, 20, 64, 258, true, 0},
    {true, 20, 16, 64, false, 2},   {true, 21, 32, 128, false, 2}, {true, 22, 64, 273, false, 3},
};

// A window no larger than the input needs: small inputs need small tables.
unsigned windowLogFor(size_t size, unsigned maxLog) {
    unsigned log = 10;
    while (log < maxLog && (size_t(1) << log) < size) ++log;
    return log;
}

uint32_t hash2(const uint8_t* p, unsigned bits) {
    uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8;
    return (v * 2654435761u) >> (32 - bits);
}

uint32_t hash3(const uint8_t* p, unsigned bits) {
    uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    return (v * 2654435761u) >> (32 - bits);
}

uint32_t hash4(const uint8_t* p, unsigned bits) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return (v * 2654435761u) >> (32 - bits);
}

// ---------------------------------------------------------------------------
// Levels 1-6: hash chains, greedy or one step lazy, judged by estimated bits.

class ChainParser {
public:
    ChainParser(const uint8_t* data, size_t size, const LevelParams& params)
        : data_(data), size_(size), p_(params), window_(size_t(1) << windowLogFor(size, params.windowLog)),
          hashBits_(std::min(windowLogFor(size, params.windowLog), kHashBits)), head3_(size_t(1) << hashBits_, 0),
          head2_(size_t(1) << hashBits_, 0), prev_(window_, 0) {}

    // Parses [start, end) given the writer's state at start.
    void parse(size_t start, size_t end, uint32_t lastIndex, unsigned indexBase, std::vector<Token>& tokens) {
        tokens.clear();
        lastIndex_ = lastIndex;
        indexBase_ = indexBase;
        end_ = end;
        size_t pos = start;
        Choice cur = search(pos);
        while (pos < end) {
            if (cur.gain < kMinGain) {
                single(pos, tokens);
                ++pos;
                if (pos < end) cur = search(pos);
                continue;
            }
            if (p_.lazy && cur.length < p_.niceLength && pos + 1 < end) {
                Choice next = search(pos + 1);
                if (next.gain > cur.gain + 1) {
                    single(pos, tokens);
                    ++pos;
                    cur = next;
                    continue;
                }
                take(cur, tokens);
                for (size_t q = pos + 2; q < pos + cur.length; ++q) insert(q);
            } else {
                take(cur, tokens);
                for (size_t q = pos + 1; q < pos + cur.length; ++q) insert(q);
            }
            pos += cur.length;
            if (pos < end) cur = search(pos);
        }
    }

private:
    static constexpr unsigned kHashBits = 16;
    static constexpr int kLiteralEstimate = 9;  // bits a literal costs before planning
    // Matches saving less are left as single bytes: in incompressible stretches
    // they would break the raw runs that save more.
    static constexpr int kMinGain = 7;

    struct Choice {
        uint32_t length = 0;
        uint32_t distance = 0;
        int gain = 0;  // bits saved against literals
    };

    void insert(size_t pos) {
        if (size_ - pos < 3) return;
        uint32_t h = hash3(data_ + pos, hashBits_);
        prev_[pos & (window_ - 1)] = head3_[h];
        head3_[h] = uint32_t(pos + 1);
        head2_[hash2(data_ + pos, hashBits_)] = uint32_t(pos + 1);
    }

    void consider(Choice& best, uint32_t distance, uint32_t length) {
        if (length < 2) return;
        uint32_t bits = distance == lastIndex_ ? repeatBits(length) : matchBits(distance, length, indexBase_);
        if (bits == kInfinite) return;
        int gain = int(length) * kLiteralEstimate - int(bits);
        if (gain > best.gain) best = {length, distance, gain};
    }

    // The best match at pos; inserts pos into the chain.
    Choice search(size_t pos) {
        Choice best;
        size_t limit = std::min<size_t>(end_ - pos, 1u << 30);
        const uint8_t* cur = data_ + pos;
        if (lastIndex_ <= pos) consider(best, lastIndex_, uint32_t(matchLength(cur, cur - lastIndex_, limit)));
        if (size_ - pos >= 3) {
            uint32_t c2 = head2_[hash2(cur, hashBits_)];
            if (c2 != 0 && pos + 1 - c2 <= kMaxShortDistance) {
                uint32_t d = uint32_t(pos + 1 - c2);
                consider(best, d, uint32_t(matchLength(cur, cur - d, std::min<size_t>(limit, 5))));
            }
            uint32_t candidate = head3_[hash3(cur, hashBits_)];
            for (unsigned depth = p_.depth; candidate != 0 && depth > 0; --depth) {
                size_t d = pos + 1 - candidate;
                if (d >= window_) break;
                uint32_t len = uint32_t(matchLength(cur, cur - d, limit));
                if (len >= 3) consider(best, uint32_t(d), len);
                if (len >= p_.niceLength) break;
                candidate = prev_[(candidate - 1) & (window_ - 1)];
            }
        }
        insert(pos);
        return best;
    }

    void single(size_t pos, std::vector<Token>& tokens) {
        uint32_t near = data_[pos] == 0 ? 0 : nearDistance(data_, pos);
        if (data_[pos] == 0) {
            tokens.push_back({TokenKind::Zero, 1, 0});
        } else if (near != 0) {
            tokens.push_back({TokenKind::Near, 1, near});
        } else {
            tokens.push_back({TokenKind::Literal, 1, 0});
        }
    }

    void take(const Choice& c, std::vector<Token>& tokens) {
        if (c.distance == lastIndex_) {
            tokens.push_back({TokenKind::Repeat, c.length, c.distance});
        } else {
            tokens.push_back({TokenKind::Match, c.length, c.distance});
            lastIndex_ = c.distance;
        }
    }

    const uint8_t* data_;
    size_t size_;
    LevelParams p_;
    size_t window_;                // matches reach back less than this
    unsigned hashBits_;            // size of the hash tables
    std::vector<uint32_t> head3_;  // last position + 1 per 3-byte hash
    std::vector<uint32_t> head2_;  // last position + 1 per 2-byte hash
    std::vector<uint32_t> prev_;   // earlier position + 1 with the same hash, per window slot
    uint32_t lastIndex_ = 1;
    unsigned indexBase_ = kInitialIndexBase;
    size_t end_ = 0;
};

// ---------------------------------------------------------------------------
// Levels 7-9: a binary-tree match finder and a price parse.

struct MatchCandidate {
    uint32_t length;    // longest length at this distance
    uint32_t distance;  // copy distance
};

// Keeps, per hash of four bytes, a binary tree of earlier positions ordered by
// the bytes that follow them, and reports for each position the nearest match
// of every new longest length. Positions are stored plus one; 0 is empty.
class TreeFinder {
public:
    TreeFinder(const uint8_t* data, size_t size, const LevelParams& params)
        : data_(data), size_(size), windowLog_(windowLogFor(size, params.windowLog)), window_(uint32_t(1) << windowLog_),
          depth_(params.depth), nice_(params.niceLength), hash4Bits_(std::min(windowLog_, 20u)),
          hash3Bits_(std::min(windowLog_, 16u)), head2_(size_t(1) << hash3Bits_, 0), head3_(size_t(1) << hash3Bits_, 0),
          head4_(size_t(1) << hash4Bits_, 0), tree_(size_t(2) << windowLog_, 0) {}

    // Matches at pos with increasing lengths; pos must follow the last one asked.
    void find(size_t pos, std::vector<MatchCandidate>& out) { walk(pos, &out); }
    // Inserts pos without collecting matches.
    void skip(size_t pos) { walk(pos, nullptr); }

private:

    void walk(size_t pos, std::vector<MatchCandidate>* out) {
        size_t avail = size_ - pos;
        if (avail < 4) return;
        const uint8_t* cur = data_ + pos;
        uint32_t lenLimit = uint32_t(std::min<size_t>(nice_, avail));
        uint32_t q = uint32_t(pos + 1);
        uint32_t& h2 = head2_[hash2(cur, hash3Bits_)];
        uint32_t& h3 = head3_[hash3(cur, hash3Bits_)];
        uint32_t& h4 = head4_[hash4(cur, hash4Bits_)];
        uint32_t c2 = h2, c3 = h3, curMatch = h4;
        h2 = h3 = h4 = q;

        uint32_t maxLen = 1;
        if (out != nullptr) {
            for (uint32_t c : {c2, c3}) {
                if (c == 0 || q - c >= window_) continue;
                uint32_t d = q - c;
                uint32_t len = uint32_t(matchLength(cur, cur - d, lenLimit));
                if (len > maxLen && len >= 2) {
                    maxLen = len;
                    out->push_back({len, d});
                }
            }
        }

        uint32_t mask = window_ - 1;
        uint32_t* ptr0 = &tree_[2 * size_t(q & mask) + 1];
        uint32_t* ptr1 = &tree_[2 * size_t(q & mask)];
        uint32_t len0 = 0, len1 = 0;
        for (unsigned depth = depth_;;) {
            uint32_t delta = q - curMatch;
            if (curMatch == 0 || depth-- == 0 || delta >= window_) {
                *ptr0 = *ptr1 = 0;
                return;
            }
            uint32_t* pair = &tree_[2 * size_t(curMatch & mask)];
            const uint8_t* pb = cur - delta;
            uint32_t len = std::min(len0, len1);
            if (pb[len] == cur[len]) {
                len += uint32_t(matchLength(pb + len, cur + len, lenLimit - len));
                if (len > maxLen) {
                    maxLen = len;
                    if (out != nullptr) out->push_back({len, delta});
                }
                if (len == lenLimit) {
                    *ptr1 = pair[0];
                    *ptr0 = pair[1];
                    return;
                }
            }
            if (pb[len] < cur[len]) {
                *ptr1 = curMatch;
                ptr1 = pair + 1;
                curMatch = *ptr1;
                len1 = len;
            } else {
                *ptr0 = curMatch;
                ptr0 = pair;
                curMatch = *ptr0;
                len0 = len;
            }
        }
    }

    const uint8_t* data_;
    size_t size_;
    unsigned windowLog_;  // matches reach back less than 2^windowLog_
    uint32_t window_;     // 2^windowLog_
    unsigned depth_;      // tree nodes visited per position
    unsigned nice_;       // longest length looked for
    unsigned hash4Bits_;  // size of the root table
    unsigned hash3Bits_;  // size of the two- and three-byte tables
    std::vector<uint32_t> head2_;  // last position per 2-byte hash
    std::vector<uint32_t> head3_;  // last position per 3-byte hash
    std::vector<uint32_t> head4_;  // tree root per 4-byte hash
    std::vector<uint32_t> tree_;   // two children per window slot
};

// The matches of one chunk, found once and priced by every pass.
struct ChunkMatches {
    std::vector<uint32_t> first;             // per position: index of its first candidate; one more at the end
    std::vector<MatchCandidate> candidates;  // per position, increasing lengths, distances made non-increasing
    std::vector<uint8_t> near;               // per position: nearDistance, or 0
    std::vector<uint32_t> forced;            // per position: length of a match taken outright, or 0
};

void collectMatches(TreeFinder& finder, const uint8_t* data, size_t start, size_t end, unsigned nice,
                    ChunkMatches& m) {
    size_t n = end - start;
    m.first.assign(n + 1, 0);
    m.candidates.clear();
    m.near.assign(n, 0);
    m.forced.assign(n, 0);
    std::vector<MatchCandidate> found;
    size_t skipUntil = 0;
    for (size_t i = 0; i < n; ++i) {
        size_t pos = start + i;
        m.first[i] = uint32_t(m.candidates.size());
        if (i < skipUntil) {
            finder.skip(pos);
            continue;
        }
        m.near[i] = uint8_t(nearDistance(data, pos));
        found.clear();
        finder.find(pos, found);
        // Clip to the chunk, then make each distance the smallest of those at
        // least as long, so every length range is priced at its best distance.
        uint32_t room = uint32_t(n - i);
        size_t base = m.candidates.size();
        for (MatchCandidate c : found) {
            c.length = std::min(c.length, room);
            if (m.candidates.size() > base && m.candidates.back().length >= c.length) {
                m.candidates.back().distance = std::min(m.candidates.back().distance, c.distance);
                continue;
            }
            m.candidates.push_back(c);
        }
        for (size_t k = m.candidates.size(); k-- > base + 1;) {
            m.candidates[k - 1].distance = std::min(m.candidates[k - 1].distance, m.candidates[k].distance);
        }
        if (m.candidates.size() > base && m.candidates.back().length >= nice) {
            // A long match is taken whole: the finder stops at `nice`, the format does not.
            MatchCandidate& longest = m.candidates.back();
            longest.length = uint32_t(matchLength(data + pos, data + pos - longest.distance, room));
            m.forced[i] = longest.length;
            skipUntil = i + m.forced[i];
        }
    }
    m.first[n] = uint32_t(m.candidates.size());
}

// One price parse of a chunk: the cheapest token sequence under a plan.
class PriceParser {
public:
    void parse(const uint8_t* data, size_t start, size_t end, const ChunkMatches& m, uint32_t lastIndex,
               unsigned indexBase, const std::vector<ModeSpan>* spans, unsigned nice,
               std::vector<Token>& tokens) {
        size_t n = end - start;
        nodes_.assign(n + 1, Node{});
        nodes_[0].cost = 0;
        nodes_[0].rep = lastIndex;
        LiteralPricer literals(spans);
        size_t skipUntil = 0;
        for (size_t i = 0; i < n; ++i) {
            const Node node = nodes_[i];
            if (i < skipUntil || node.cost == kInfinite) continue;
            size_t pos = start + i;
            uint32_t rep = node.rep;
            uint32_t forced = m.forced[i];
            if (forced != 0) {
                uint32_t d = m.candidates[m.first[i + 1] - 1].distance;
                if (d == rep) {
                    relax(i + forced, node.cost + repeatBits(forced), TokenKind::Repeat, forced, d, rep);
                } else {
                    relax(i + forced, node.cost + matchBits(d, forced, indexBase), TokenKind::Match, forced, d, d);
                }
                skipUntil = i + forced;
                continue;
            }
            uint8_t b = data[pos];
            if (b == 0) {
                relax(i + 1, node.cost + kSingleByteBits, TokenKind::Zero, 1, 0, rep);
            } else if (m.near[i] != 0) {
                relax(i + 1, node.cost + kSingleByteBits, TokenKind::Near, 1, m.near[i], rep);
            } else {
                relax(i + 1, node.cost + literals.bits(pos, b), TokenKind::Literal, 1, 0, rep);
            }
            if (rep <= pos) {
                uint32_t len = uint32_t(matchLength(data + pos, data + pos - rep, std::min<size_t>(n - i, nice)));
                if (len == nice) {
                    // As long as a forced match: taken whole, and the positions it covers are not expanded.
                    len = uint32_t(matchLength(data + pos, data + pos - rep, n - i));
                    relax(i + len, node.cost + repeatBits(len), TokenKind::Repeat, len, rep, rep);
                    skipUntil = i + len;
                    continue;
                }
                for (uint32_t l = 2; l <= len; ++l) {
                    relax(i + l, node.cost + repeatBits(l), TokenKind::Repeat, l, rep, rep);
                }
            }
            uint32_t prevLen = 1;
            for (uint32_t k = m.first[i]; k < m.first[i + 1]; ++k) {
                MatchCandidate c = m.candidates[k];
                if (c.distance != rep) {
                    for (uint32_t l = prevLen + 1; l <= c.length; ++l) {
                        uint32_t bits = matchBits(c.distance, l, indexBase);
                        if (bits != kInfinite) {
                            relax(i + l, node.cost + bits, TokenKind::Match, l, c.distance, c.distance);
                        }
                    }
                }
                prevLen = c.length;
            }
            if (n - i >= 256) relax(i + 256, node.cost + kRawRunBits, TokenKind::RawRun, 256, 0, rep);
        }
        tokens.clear();
        for (size_t i = n; i > 0; i -= nodes_[i].length) {
            tokens.push_back({nodes_[i].kind, nodes_[i].length, nodes_[i].distance});
        }
        std::reverse(tokens.begin(), tokens.end());
    }

private:
    struct Node {
        uint32_t cost = kInfinite;  // bits to reach this position
        uint32_t length = 0;        // of the token that ends here
        uint32_t distance = 0;      // of that token
        uint32_t rep = 1;           // lastIndex after it
        TokenKind kind = TokenKind::Literal;
    };

    void relax(size_t at, uint32_t cost, TokenKind kind, uint32_t length, uint32_t distance, uint32_t rep) {
        Node& n = nodes_[at];
        if (cost <= n.cost) n = {cost, length, distance, rep, kind};  // on ties, the last token starts later
    }

    std::vector<Node> nodes_;
};

// ---------------------------------------------------------------------------

void writeHeader(std::vector<uint8_t>& out, uint32_t unpackedSize, uint32_t checksum) {
    out.push_back('J');
    out.push_back('C');
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(unpackedSize >> (8 * i)));
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(checksum >> (8 * i)));
}

ChunkPlan planChunk(const std::vector<Token>& tokens, const uint8_t* data, size_t start, const CodeWriter& writer) {
    ChunkPlan plan;
    plan.spans = planLiteralModes(tokens, data, start, writer.mode());
    plan.indexBase = planIndexBase(tokens, writer.lastIndex(), writer.indexBase());
    return plan;
}

bool isSingleByte(TokenKind kind) {
    return kind == TokenKind::Literal || kind == TokenKind::Zero || kind == TokenKind::Near;
}

// Replaces each 256 single-byte tokens in a row, within 8-bit spans, by a raw
// run when that is shorter: what incompressible stretches look like after a
// parse that does not price raw runs itself.
void useRawRuns(std::vector<Token>& tokens, const std::vector<ModeSpan>& spans, size_t start) {
    std::vector<Token> out;
    out.reserve(tokens.size());
    size_t span = 0;
    size_t pos = start;
    for (size_t i = 0; i < tokens.size();) {
        while (span + 1 < spans.size() && spans[span + 1].start <= pos) ++span;
        bool eightBit = spans[span].mode.bits == 8 && (span + 1 == spans.size() || spans[span + 1].start >= pos + 256);
        if (eightBit && i + 256 <= tokens.size()) {
            uint32_t bits = 0;
            size_t k = i;
            for (; k < i + 256 && isSingleByte(tokens[k].kind); ++k) {
                bits += tokens[k].kind == TokenKind::Literal ? 9 : kSingleByteBits;
            }
            bool continues = !out.empty() && out.back().kind == TokenKind::RawRun;
            if (k == i + 256 && bits > (continues ? kRawRunBits - 8 : kRawRunBits)) {
                out.push_back({TokenKind::RawRun, 256, 0});
                i += 256;
                pos += 256;
                continue;
            }
        }
        out.push_back(tokens[i]);
        pos += tokens[i].length;
        ++i;
    }
    tokens.swap(out);
}

// Every block begins with a literal-width code: the one the first chunk plans.
void beginBlock(CodeWriter& writer, const ChunkPlan& plan, bool& begun) {
    if (begun) return;
    writer.setMode(plan.spans.front().mode);
    begun = true;
}

void encodeChained(const uint8_t* data, size_t size, const LevelParams& params, CodeWriter& writer) {
    constexpr size_t kChunk = size_t(1) << 20;
    ChainParser parser(data, size, params);
    std::vector<Token> tokens;
    bool begun = false;
    for (size_t start = 0; start < size || !begun; start += kChunk) {
        size_t end = std::min(size, start + kChunk);
        parser.parse(start, end, writer.lastIndex(), writer.indexBase(), tokens);
        ChunkPlan plan = planChunk(tokens, data, start, writer);
        useRawRuns(tokens, plan.spans, start);
        beginBlock(writer, plan, begun);
        writer.chunk(tokens, plan, start);
    }
}

void encodeOptimal(const uint8_t* data, size_t size, const LevelParams& params, CodeWriter& writer) {
    constexpr size_t kChunk = size_t(1) << 18;
    TreeFinder finder(data, size, params);
    ChunkMatches matches;
    PriceParser parser;
    std::vector<Token> tokens;
    bool begun = false;
    for (size_t start = 0; start < size || !begun; start += kChunk) {
        size_t end = std::min(size, start + kChunk);
        collectMatches(finder, data, start, end, params.niceLength, matches);
        parser.parse(data, start, end, matches, writer.lastIndex(), writer.indexBase(), nullptr, params.niceLength,
                     tokens);
        ChunkPlan plan = planChunk(tokens, data, start, writer);
        for (unsigned pass = 1; pass < params.passes; ++pass) {
            parser.parse(data, start, end, matches, writer.lastIndex(), plan.indexBase, &plan.spans,
                         params.niceLength, tokens);
            if (pass + 1 < params.passes) plan = planChunk(tokens, data, start, writer);
        }
        beginBlock(writer, plan, begun);
        writer.chunk(tokens, plan, start);
    }
}

}  // namespace

std::vector<uint8_t> encodeBlock(const uint8_t* data, size_t size, int level) {
    if (size != uint32_t(size)) return {};  // beyond the header's 32-bit unpacked size
    const LevelParams& params = kLevels[std::clamp(level, kFastestLevel, kBestLevel) - 1];
    std::vector<uint8_t> out;
    out.reserve(kBlockHeaderSize + size / 2 + 64);
    writeHeader(out, uint32_t(size), size == 0 ? 0 : blockChecksum(data, size));
    CodeWriter writer(out, data);
    if (params.optimal) {
        encodeOptimal(data, size, params, writer);
    } else {
        encodeChained(data, size, params, writer);
    }
    writer.end();
    return out;
}

bool shouldStore(size_t unpackedSize, size_t encodedSize) { return encodedSize >= unpackedSize; }
