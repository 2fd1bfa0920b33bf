// The encoder against the decoder: round trips of generated and real data at
// every kind of level, the shape of the blocks it writes, and ratio sanity.
#include "block_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "payload/block_codec.h"

namespace {

using Bytes = std::vector<uint8_t>;

const int kLevels[] = {kFastestLevel, 4, kBestLevel};

Bytes randomBytes(size_t n, uint32_t seed, int lowest = 0, int highest = 255) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(lowest, highest);
    Bytes out(n);
    for (uint8_t& b : out) b = uint8_t(byte(rng));
    return out;
}

// Text with a small vocabulary, lines and punctuation, like a licence or a header.
Bytes wordyText(size_t n, uint32_t seed) {
    static const char* const words[] = {"the", "installer", "program", "files", "folder", "setup", "licence",
                                        "Windows", "registry", "shortcut", "of", "and", "to", "a", "in",
                                        "version", "copy", "user", "start", "menu", "uninstall", "data"};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < n) {
        s += words[rng() % std::size(words)];
        unsigned r = rng() % 16;
        s += r == 0 ? ".\r\n" : r == 1 ? ", " : " ";
    }
    s.resize(n);
    return Bytes(s.begin(), s.end());
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

uint32_t le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// Encodes, checks the block's shape and decodes it back; returns the block.
Bytes roundTrip(const Bytes& data, int level, const std::string& what) {
    SCOPED_TRACE(what + " at level " + std::to_string(level));
    Bytes block = encodeBlock(data.data(), data.size(), level);
    EXPECT_GE(block.size(), kBlockHeaderSize + 4);
    EXPECT_EQ((block.size() - kBlockHeaderSize) % 4, 0u);
    EXPECT_EQ(block[0], 'J');
    EXPECT_EQ(block[1], 'C');
    EXPECT_EQ(le32(&block[2]), data.size());
    EXPECT_EQ(le32(&block[6]), blockChecksum(data.data(), data.size()));
    // The stream opens with a literal-width code: 001 0000 0.
    EXPECT_EQ(block[13] >> 1, 0b0010000) << "first code is not a literal-width code";

    Bytes out(data.size() + kBlockSpareBytes);
    EXPECT_TRUE(decodeBlockExact(block.data(), block.size(), out.data(), out.size(), uint32_t(data.size())));
    out.resize(data.size());
    EXPECT_TRUE(out == data) << "decoded bytes differ";

    // Exactly as long as the words the decoder reads: one word less is truncated.
    size_t written = 0;
    EXPECT_EQ(decodeBlock(block.data(), block.size() - 4, out.data(), out.size(), written), BlockStatus::Truncated);
    return block;
}

}  // namespace

TEST(BlockEncoder, SmallSizesOfSeveralKinds) {
    for (int level : kLevels) {
        for (size_t n = 0; n <= 300; n += (n < 40 ? 1 : 13)) {
            roundTrip(randomBytes(n, uint32_t(n)), level, "random " + std::to_string(n));
            roundTrip(wordyText(n, uint32_t(n)), level, "text " + std::to_string(n));
            roundTrip(Bytes(n, 0), level, "zeros " + std::to_string(n));
            roundTrip(Bytes(n, 'a'), level, "run " + std::to_string(n));
        }
    }
}

TEST(BlockEncoder, GeneratedData) {
    struct Case {
        std::string name;
        Bytes data;
    };
    std::vector<Case> cases;
    cases.push_back({"random", randomBytes(200000, 1)});
    cases.push_back({"random over few values", randomBytes(200000, 2, 'a', 'd')});
    cases.push_back({"high bytes", randomBytes(100000, 3, 0x90, 0xFF)});
    cases.push_back({"text", wordyText(300000, 4)});
    cases.push_back({"zeros", Bytes(1 << 20, 0)});
    Bytes runs;
    for (int i = 0; runs.size() < 200000; ++i) runs.insert(runs.end(), size_t(1 + i % 300), uint8_t(i * 37));
    cases.push_back({"runs of every length", runs});
    // Records of a fixed stride with a changing field: repeats of one distance.
    Bytes records;
    for (uint32_t i = 0; records.size() < 200000; ++i) {
        const uint8_t rec[12] = {0x10, 0x20, uint8_t(i), uint8_t(i >> 8), 0, 0, 0x7F, 0xFF, 0, 0, 0xAB, 0xCD};
        records.insert(records.end(), rec, rec + sizeof rec);
    }
    cases.push_back({"records", records});
    // A random stretch seen again far away: distances past 64 KiB.
    Bytes far = randomBytes(150000, 5);
    Bytes farTwice = far;
    farTwice.insert(farTwice.end(), far.begin(), far.end());
    cases.push_back({"far repeat", farTwice});
    // Text and binary in turns: literal widths switch back and forth.
    Bytes mixed;
    for (uint32_t i = 0; i < 40; ++i) {
        Bytes t = wordyText(3000, 100 + i), b = randomBytes(2000, 200 + i);
        mixed.insert(mixed.end(), t.begin(), t.end());
        mixed.insert(mixed.end(), b.begin(), b.end());
    }
    cases.push_back({"text and binary", mixed});

    for (const Case& c : cases) {
        for (int level : kLevels) roundTrip(c.data, level, c.name);
    }
}

TEST(BlockEncoder, EveryLevelOnMixedData) {
    Bytes data = wordyText(60000, 7);
    Bytes bin = readFile("/usr/lib/x86_64-linux-gnu/libz.so.1");
    data.insert(data.end(), bin.begin(), bin.begin() + std::min<size_t>(bin.size(), 60000));
    for (int level = 0; level <= 10; ++level) roundTrip(data, level, "mixed");  // 0 and 10 are clamped
}

TEST(BlockEncoder, SeveralMegabytes) {
    Bytes data;
    for (uint32_t i = 0; data.size() < (3u << 20); ++i) {
        Bytes part = (i % 3 == 0) ? randomBytes(300000, i) : wordyText(400000, i);
        data.insert(data.end(), part.begin(), part.end());
    }
    for (int level : {kFastestLevel, kBestLevel}) roundTrip(data, level, "3 MB");
}

TEST(BlockEncoder, RealFiles) {
    const char* const paths[] = {
        "/usr/share/common-licenses/GPL-3",
        "/usr/share/common-licenses/Apache-2.0",
        "/usr/lib/x86_64-linux-gnu/libz.so.1",
        "/usr/lib/x86_64-linux-gnu/libstdc++.so.6",
        "/usr/lib/i386-linux-gnu/wine/i386-windows/comdlg32.dll",
    };
    int found = 0;
    for (const char* path : paths) {
        Bytes data = readFile(path);
        if (data.empty()) continue;  // not on this machine
        ++found;
        for (int level : {kFastestLevel, kBestLevel}) roundTrip(data, level, path);
    }
    if (found == 0) GTEST_SKIP() << "none of the sample files is installed";
}

TEST(BlockEncoder, RatioSanity) {
    Bytes text = wordyText(300000, 9);
    Bytes fast = encodeBlock(text.data(), text.size(), kFastestLevel);
    Bytes best = encodeBlock(text.data(), text.size(), kBestLevel);
    EXPECT_LT(fast.size(), text.size() / 3);
    EXPECT_LE(best.size(), fast.size());
    EXPECT_FALSE(shouldStore(text.size(), best.size()));

    // Incompressible bytes: raw runs keep the block within a few tenths of a
    // percent of the data, and the caller stores them.
    Bytes noise = randomBytes(300000, 10);
    for (int level : {kFastestLevel, kBestLevel}) {
        Bytes block = encodeBlock(noise.data(), noise.size(), level);
        EXPECT_LT(block.size(), noise.size() + noise.size() / 100) << level;
        EXPECT_TRUE(shouldStore(noise.size(), block.size()));
    }

    // Random bytes inside a 128-value window: only 7-bit literals with an
    // offset make the block smaller than the data.
    Bytes high = randomBytes(300000, 11, 0x90, 0xFF);
    for (int level : {kFastestLevel, kBestLevel}) {
        EXPECT_LT(encodeBlock(high.data(), high.size(), level).size(), high.size()) << level;
    }

    // A long run is a few long copies at every level, not one per nice length.
    Bytes zeros(1 << 20, 0);
    for (int level : kLevels) EXPECT_LT(encodeBlock(zeros.data(), zeros.size(), level).size(), 100u) << level;

    // An empty input still makes a block (width and end codes in one word); it is stored.
    EXPECT_EQ(encodeBlock(nullptr, 0).size(), kBlockHeaderSize + 4);
    EXPECT_TRUE(shouldStore(0, kBlockHeaderSize + 4));
    EXPECT_TRUE(shouldStore(100, 100));
}
