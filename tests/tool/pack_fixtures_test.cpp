// Pack files kept in tests/fixtures/packs: every good/*.pack must open and
// extract, every bad/*.pack must be refused (openPack fails, or extractPack
// reports failure) without anything written outside the destination. A new
// case is a new file in one of the folders; fuzzer findings go into bad/.
//
// The files made by the generator below are rewritten, from the source folder, with
//   QB_REGENERATE_PACK_FIXTURES=1 QB_SOURCE_DIR=$PWD build/native/tests/tool_tests --gtest_filter='PackFixtures.*'
// and a test checks that the checked-in copies still match the generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "memory_file_system.h"
#include "pack_builder.h"
#include "payload/pack_reader.h"

namespace fs = std::filesystem;
using namespace packtest;

namespace {

struct Fixture {
    std::string folder;  // "good" or "bad"
    std::string name;    // file name in that folder
    std::string bytes;
};

std::string withCount(std::string pack, uint32_t count, size_t directoryStart) {
    for (int i = 0; i < 4; ++i) pack[directoryStart + i] = char(count >> (8 * i));
    return pack;
}

std::vector<Fixture> generatedFixtures() {
    const std::string image = "MZ" + std::string(62, '\0');
    const uint64_t t = 132223103980000000;  // 2019-12-31 23:59:58 UTC
    std::vector<Item> tree = {
        folder("bin\\", t),
        file("bin\\tool.exe", "JC stored bytes that only look like a block", t, t),
        file("docs\\deep\\notes.txt", "notes", t, t),
        file("empty.txt", "", t, t),
        folder("no-slash-folder", t),
    };
    std::string stored = buildPack(tree);
    std::string one = buildPack({file("a.txt", "hello")});
    PackEntry big;
    big.name = "big.bin";
    big.unpackedSize = big.packedSize = 64;
    std::vector<uint8_t> bigDirectory = serializeDirectory({big});
    std::vector<uint8_t> cutDirectory = bigDirectory;
    cutDirectory.resize(cutDirectory.size() - 3);
    Item badChecksum = compressed("bad.txt", "bad checksum");
    (*badChecksum.packed)[6] ^= 0x55;

    return {
        {"good", "empty.pack", buildPack({})},
        {"good", "negative-count.pack", assemble("", {0xFF, 0xFF, 0xFF, 0xFF}, 0)},
        {"good", "stored-tree.pack", stored},
        {"good", "appended.pack", buildPack(tree, image)},
        {"good", "compressed.pack", buildPackCompressedDirectory({compressed("c.txt", "compressed text, compressed text"),
                                                                  file("s.txt", "stored")}, image)},
        {"good", "unknown-type.pack", buildPack({Item{"odd", 7, "", 0, 0, std::nullopt}, file("a.txt", "a")})},

        {"bad", "too-short.pack", "Pack"},
        {"bad", "bad-magic.pack", patchFromEnd(one, 4, 0x6B636170)},
        {"bad", "directory-outside.pack", patchFromEnd(one, 12, uint32_t(one.size()))},
        {"bad", "data-start-past-directory.pack", patchFromEnd(one, 8, uint32_t(one.size() - 17))},
        {"bad", "records-past-directory.pack", assemble("", cutDirectory, 0)},
        {"bad", "name-without-nul.pack", assemble("", {1, 0, 0, 0, 'a', 'b', 'c'}, 0)},
        {"bad", "absurd-count.pack", withCount(assemble(std::string(64, 'x'), bigDirectory, 0), 0x7FFFFFFF, 64)},
        {"bad", "data-area-too-large.pack", assemble(std::string(10, 'x'), bigDirectory, 0)},
        {"bad", "compressed-directory-garbage.pack", patchFromEnd(one, 16, 999)},
        {"bad", "bad-checksum-entry.pack", buildPack({badChecksum})},
        {"bad", "parent-folder-name.pack", buildPack({file("..\\evil.txt", "evil")})},
        {"bad", "absolute-name.pack", buildPack({file("C:\\evil.txt", "evil")})},
        {"bad", "stream-name.pack", buildPack({file("a.txt:stream", "evil")})},
    };
}

fs::path fixtureRoot() {
    const char* source = std::getenv("QB_SOURCE_DIR");
    fs::path root = source ? fs::path(source) : fs::path(__FILE__).parent_path().parent_path().parent_path();
    return root / "tests" / "fixtures" / "packs";
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> packsIn(const std::string& folder) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(fixtureRoot() / folder, ec))
        if (e.path().extension() == ".pack") out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

// Opens and extracts one pack in memory.
struct Outcome {
    bool opened = false;
    bool extracted = false;
    MemoryFileSystem fs;
    std::vector<PackEntry> entries;
};

Outcome tryPack(const std::string& bytes) {
    Outcome o;
    o.fs.addFile("C:\\in\\x.pack", bytes);
    o.fs.addFolder("C:\\dest");
    PackReader reader;
    reader.fs = &o.fs;
    o.opened = openPack(reader, "C:\\in\\x.pack", nullptr);
    o.extracted = extractPack(reader, "C:\\dest\\", "");
    closePack(reader);
    o.entries = reader.entries;
    return o;
}

bool everythingInside(const MemoryFileSystem& fs) {
    for (const auto& [path, file] : fs.files)
        if (path != "C:\\in\\x.pack" && path.rfind("C:\\dest\\", 0) != 0) return false;
    for (const std::string& folder : fs.folders)
        if (folder != "C:" && folder != "C:\\in" && folder != "C:\\dest" && folder.rfind("C:\\dest\\", 0) != 0) return false;
    return true;
}

TEST(PackFixtures, GeneratedFilesAreCurrent) {
    bool regenerate = std::getenv("QB_REGENERATE_PACK_FIXTURES") != nullptr;
    for (const Fixture& f : generatedFixtures()) {
        fs::path path = fixtureRoot() / f.folder / f.name;
        if (regenerate) {
            fs::create_directories(path.parent_path());
            std::ofstream(path, std::ios::binary).write(f.bytes.data(), std::streamsize(f.bytes.size()));
        }
        EXPECT_EQ(readFile(path), f.bytes) << path << " differs from its generator: regenerate it";
    }
}

TEST(PackFixtures, GoodPacksOpenAndExtract) {
    std::vector<fs::path> packs = packsIn("good");
    ASSERT_FALSE(packs.empty()) << "no fixtures in " << fixtureRoot();
    for (const fs::path& path : packs) {
        Outcome o = tryPack(readFile(path));
        EXPECT_TRUE(o.opened) << path;
        EXPECT_TRUE(o.extracted) << path;
        for (const PackEntry& e : o.entries) {
            if (e.type != kEntryFile) continue;
            const std::string target = "C:\\dest\\" + e.name;
            ASSERT_TRUE(o.fs.has(target)) << path << ": " << e.name;
            EXPECT_EQ(o.fs.files.at(target).data.size(), e.unpackedSize) << path << ": " << e.name;
            EXPECT_EQ(o.fs.files.at(target).times.lastWrite, e.lastWriteTime) << path << ": " << e.name;
        }
    }
}

TEST(PackFixtures, BadPacksAreRefused) {
    std::vector<fs::path> packs = packsIn("bad");
    ASSERT_FALSE(packs.empty()) << "no fixtures in " << fixtureRoot();
    for (const fs::path& path : packs) {
        Outcome o = tryPack(readFile(path));
        EXPECT_FALSE(o.opened && o.extracted) << path;
        EXPECT_TRUE(everythingInside(o.fs)) << path;
    }
}

}  // namespace
