// The pack format and extraction over the in-memory file system.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "memory_file_system.h"
#include "payload/pack_format.h"
#include "pack_builder.h"
#include "payload/pack_reader.h"

namespace {

using namespace packtest;

const std::string kPackPath = "C:\\src\\setup.pck";
const std::string kDest = "C:\\dest\\";

// A file system with a pack in it and a reader over it.
struct Bench {
    MemoryFileSystem fs;
    PackReader reader;
    std::vector<std::string> progress;  // the current entry's name at each hook call

    explicit Bench(const std::string& packBytes, bool withHook = true) {
        fs.addFile(kPackPath, packBytes);
        fs.addFolder(kDest);
        reader.fs = &fs;
        if (withHook) hook = [this] { progress.push_back(reader.entries[reader.current].name); };
    }
    bool open() { return openPack(reader, kPackPath, hook); }
    bool extract(const std::string& keep = "", const std::string& dest = kDest) {
        return extractPack(reader, dest, keep);
    }
    // Every file outside the pack's own folder.
    std::vector<std::string> writtenFiles() const {
        std::vector<std::string> out;
        for (const auto& [path, f] : fs.files)
            if (path != MemoryFileSystem::norm(kPackPath)) out.push_back(path);
        return out;
    }
    ProgressHook hook;
};

// ---------------------------------------------------------------- format

TEST(PackFormat, TrailerRoundTripAndMagicBytes) {
    PackTrailer t;
    t.dirUnpackedSize = 0x01020304;
    t.dirPackedSize = 0xA0B0C0D0;
    t.dataStart = 77;
    uint8_t bytes[16];
    serializeTrailer(t, bytes);
    EXPECT_EQ(std::memcmp(bytes + 12, "Pack", 4), 0);
    EXPECT_EQ(bytes[0], 0x04);
    EXPECT_EQ(bytes[7], 0xA0);
    PackTrailer back;
    ASSERT_TRUE(parseTrailer(bytes, back));
    EXPECT_EQ(back.dirUnpackedSize, t.dirUnpackedSize);
    EXPECT_EQ(back.dirPackedSize, t.dirPackedSize);
    EXPECT_EQ(back.dataStart, t.dataStart);

    bytes[12] = 'p';
    EXPECT_FALSE(parseTrailer(bytes, back));
}

TEST(PackFormat, DirectoryRecordLayout) {
    PackEntry e;
    e.name = "a\\b";
    e.type = 1;
    e.unpackedSize = 2;
    e.packedSize = 3;
    e.dataOffset = 4;
    e.creationTime = 0x0000000600000005ULL;
    e.lastWriteTime = 0x0000000800000007ULL;
    std::vector<uint8_t> expected = {1, 0, 0, 0, 'a', '\\', 'b', 0};
    for (uint8_t v = 1; v <= 8; ++v) expected.insert(expected.end(), {v, 0, 0, 0});
    EXPECT_EQ(serializeDirectory({e}), expected);
}

TEST(PackFormat, DirectoryRoundTrip) {
    std::vector<PackEntry> entries(3);
    entries[0].name = "bin\\";
    entries[0].type = kEntryFolder;
    entries[1].name = "bin\\caf\xE9.exe";
    entries[1].unpackedSize = 0xFFFFFFFF;
    entries[1].packedSize = 1234;
    entries[1].dataOffset = 99;
    entries[1].creationTime = 0x01D5000012345678ULL;
    entries[1].lastWriteTime = 0xFFFFFFFFFFFFFFFFULL;
    entries[2].name = "";
    entries[2].type = 7;

    std::vector<uint8_t> bytes = serializeDirectory(entries);
    std::vector<PackEntry> back;
    ASSERT_TRUE(parseDirectory(bytes.data(), bytes.size(), back));
    ASSERT_EQ(back.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(back[i].name, entries[i].name);
        EXPECT_EQ(back[i].type, entries[i].type);
        EXPECT_EQ(back[i].unpackedSize, entries[i].unpackedSize);
        EXPECT_EQ(back[i].packedSize, entries[i].packedSize);
        EXPECT_EQ(back[i].dataOffset, entries[i].dataOffset);
        EXPECT_EQ(back[i].creationTime, entries[i].creationTime);
        EXPECT_EQ(back[i].lastWriteTime, entries[i].lastWriteTime);
    }
}

TEST(PackFormat, CountOfZeroOrLessMeansNoEntries) {
    for (uint32_t count : {0u, 0x80000000u, 0xFFFFFFFFu}) {
        std::vector<uint8_t> bytes = {uint8_t(count), uint8_t(count >> 8), uint8_t(count >> 16), uint8_t(count >> 24)};
        std::vector<PackEntry> entries(1);
        EXPECT_TRUE(parseDirectory(bytes.data(), bytes.size(), entries)) << count;
        EXPECT_TRUE(entries.empty());
    }
}

TEST(PackFormat, BrokenDirectoriesAreRefusedWhole) {
    PackEntry e;
    e.name = "file.txt";
    std::vector<uint8_t> one = serializeDirectory({e});
    std::vector<uint8_t> two = serializeDirectory({e, e});
    auto cut = [](std::vector<uint8_t> v, size_t drop) { v.resize(v.size() - drop); return v; };
    auto withCount = [](std::vector<uint8_t> v, uint32_t count) {
        for (int i = 0; i < 4; ++i) v[i] = uint8_t(count >> (8 * i));
        return v;
    };
    std::vector<uint8_t> noNul = {1, 0, 0, 0, 'a', 'b', 'c'};

    struct Case { const char* what; std::vector<uint8_t> bytes; };
    std::vector<Case> cases = {
        {"nothing", {}},
        {"count cut short", {1, 0}},
        {"fields cut short", cut(one, 1)},
        {"second record missing", withCount(one, 2)},
        {"second record cut short", cut(two, 20)},
        {"name without its NUL", noNul},
        {"absurd count", withCount(one, 0x7FFFFFFF)},
        {"count one past what fits", withCount(two, 3)},
    };
    for (const Case& c : cases) {
        std::vector<PackEntry> entries(2);
        EXPECT_FALSE(parseDirectory(c.bytes.data(), c.bytes.size(), entries)) << c.what;
        EXPECT_TRUE(entries.empty()) << c.what;
    }
}

TEST(PackFormat, SafeEntryNames) {
    struct Case { std::string name; bool safe; };
    std::vector<Case> cases = {
        {"readme.txt", true},
        {"bin\\tool.exe", true},
        {"bin\\", true},
        {"a\\b\\c\\", true},
        {"..name\\x..y.txt", true},
        {"caf\xE9.txt", true},
        {"console.txt", true},
        {"com10", true},
        {"", false},
        {"\\windows\\evil.dll", false},
        {"/etc/evil", false},
        {"\\\\server\\share\\x", false},
        {"C:\\evil.txt", false},
        {"C:evil.txt", false},
        {"file.txt:stream", false},
        {"..\\evil.txt", false},
        {"..", false},
        {"a\\..\\..\\evil.txt", false},
        {"a/../../evil.txt", false},
        {"a\\..", false},
        {"a\\.\\b", false},
        {"a\\.. \\b", false},
        {"...\\b", false},
        {"con", false},
        {"sub\\NUL.txt", false},
        {"lpt1", false},
        {"Com3 .log", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isSafeEntryName(c.name), c.safe) << c.name;
}

TEST(PackFormat, EntryExtension) {
    struct Case { std::string name, extension; };
    std::vector<Case> cases = {
        {"a.dll", "dll"},
        {"sub\\a.b.ocx", "ocx"},
        {"noext", ""},
        {"dir.d\\noext", ""},
        {"dir.d/noext", ""},
        {"trailing.", ""},
        {".hidden", "hidden"},
    };
    for (const Case& c : cases) EXPECT_EQ(entryExtension(c.name), c.extension) << c.name;
}

TEST(PackFormat, KeptExtensions) {
    struct Case { std::string list, name; bool kept; };
    std::vector<Case> cases = {
        {"", "a.dll", false},
        {"dll|", "a.dll", true},
        {"dll", "a.dll", true},
        {"dll|", "a.DLL", false},
        {"DLL|", "a.dll", false},
        {"dll|ocx|", "a.ocx", true},
        {"dll|ocx", "a.dll", true},
        {"dll|ocx", "a.ocx", false},       // without the final "|", the last is not examined
        {"dll|", "a.dl", false},
        {"dll|", "a.dlls", false},
        {"dll|", "x.dll\\noext", false},   // the "." lies in a folder part
        {"|dll|", "noext", false},         // no extension never matches, not even an empty field
        {"|dll|", "a.dll", true},
        {"ini|", "sub\\deep\\settings.ini", true},
    };
    for (const Case& c : cases) EXPECT_EQ(isKeptExtension(c.list, c.name), c.kept) << c.list << " / " << c.name;
}

// ---------------------------------------------------------------- openPack

TEST(OpenPack, ReadsDirectoryOfAnAppendedPack) {
    std::string image = "MZ-image-bytes";
    Bench b(buildPack({folder("bin\\"), file("bin\\a.exe", "12345", 11, 22), file("empty.txt", "")}, image));
    ASSERT_TRUE(b.open());
    EXPECT_TRUE(b.reader.open);
    EXPECT_EQ(b.reader.dataStart, image.size());
    EXPECT_EQ(b.reader.totalUnpackedSize, 5u);
    ASSERT_EQ(b.reader.entries.size(), 3u);
    EXPECT_EQ(b.reader.entries[1].name, "bin\\a.exe");
    EXPECT_EQ(b.reader.entries[1].dataOffset, image.size());
    EXPECT_EQ(b.reader.entries[1].creationTime, 11u);
    EXPECT_EQ(b.reader.entries[1].lastWriteTime, 22u);

    closePack(b.reader);
    EXPECT_FALSE(b.reader.open);
    EXPECT_EQ(b.reader.entries.size(), 3u);  // kept until the next openPack
}

TEST(OpenPack, DamagedPacksAreRefusedAndExtractNothing) {
    std::string good = buildPack({file("a.txt", "hello"), file("b.txt", "world")}, "IMG");
    PackEntry big;
    big.name = "big.bin";
    big.unpackedSize = big.packedSize = 1000;
    std::vector<uint8_t> dir = serializeDirectory({big});
    std::vector<uint8_t> cutDir = dir;
    cutDir.resize(cutDir.size() - 3);
    std::vector<uint8_t> absurd = dir;
    absurd[3] = 0x7F;

    struct Case { const char* what; std::string bytes; };
    std::vector<Case> cases = {
        {"only the magic", "Pack"},
        {"fifteen bytes", std::string(11, '\0') + "Pack"},
        {"trailer cut off", good.substr(0, good.size() - 1)},
        {"image cut off the front", good.substr(5)},
        {"bad magic", patchFromEnd(good, 4, 0x6B636170)},
        {"directory larger than the file", patchFromEnd(good, 12, uint32_t(good.size()))},
        {"directory size wraps", patchFromEnd(good, 12, 0xFFFFFFF0)},
        {"data start past the directory", patchFromEnd(good, 8, uint32_t(good.size()))},
        {"records run past the directory", assemble("", cutDir, 0)},
        {"absurd count", assemble(std::string(1000, 'x'), absurd, 0)},
        {"data area larger than the file", assemble(std::string(999, 'x'), dir, 0)},
        {"empty directory block", assemble("", {}, 0)},
        {"compressed directory that does not decode", patchFromEnd(good, 16, 999)},
    };
    for (const Case& c : cases) {
        Bench b(c.bytes);
        b.reader.entries.resize(4);
        EXPECT_FALSE(b.open()) << c.what;
        EXPECT_TRUE(b.reader.entries.empty()) << c.what;
        EXPECT_TRUE(b.reader.open) << c.what;
        EXPECT_TRUE(b.extract()) << c.what;
        EXPECT_TRUE(b.writtenFiles().empty()) << c.what;
    }
}

TEST(OpenPack, NoPackAtThePath) {
    MemoryFileSystem fs;
    fs.addFile("C:\\empty.bin", "");
    fs.addFolder("C:\\folder");
    PackReader reader;
    reader.fs = &fs;
    for (std::string path : {"C:\\missing.pck", "C:\\empty.bin", "C:\\folder"}) {
        EXPECT_FALSE(openPack(reader, path, nullptr)) << path;
        EXPECT_TRUE(reader.entries.empty());
        EXPECT_TRUE(extractPack(reader, kDest, "")) << path;
    }
}

TEST(OpenPack, ReopeningReplacesTheList) {
    Bench b(buildPack({file("a.txt", "1"), file("b.txt", "2")}));
    b.fs.addFile("C:\\other.pck", buildPack({file("c.txt", "3")}));
    ASSERT_TRUE(b.open());
    ASSERT_TRUE(openPack(b.reader, "C:\\other.pck", nullptr));
    ASSERT_EQ(b.reader.entries.size(), 1u);
    EXPECT_EQ(b.reader.entries[0].name, "c.txt");
    EXPECT_EQ(b.reader.totalUnpackedSize, 1u);
}

// ---------------------------------------------------------------- extraction

TEST(ExtractPack, FoldersNestedFilesAndTimes) {
    Bench b(buildPack({
        folder("docs\\"),
        folder("x\\y\\"),
        folder("x\\partial"),
        file("a\\b\\deep.txt", "deep data", 100, 200),
        file("top.bin", std::string("\0\1\2\xFF", 4), 300, 400),
    }, "IMAGE"));
    ASSERT_TRUE(b.open());
    EXPECT_TRUE(b.extract());
    EXPECT_TRUE(b.fs.isFolder("C:\\dest\\docs"));
    EXPECT_TRUE(b.fs.isFolder("C:\\dest\\x\\y"));
    EXPECT_FALSE(b.fs.isFolder("C:\\dest\\x\\partial"));  // no "\" after it: only "x" is made
    EXPECT_TRUE(b.fs.isFolder("C:\\dest\\a\\b"));
    EXPECT_EQ(b.fs.content("C:\\dest\\a\\b\\deep.txt"), "deep data");
    EXPECT_EQ(b.fs.content("C:\\dest\\top.bin"), std::string("\0\1\2\xFF", 4));
    const auto& f = b.fs.files.at("C:\\dest\\a\\b\\deep.txt");
    EXPECT_TRUE(f.timesSet);
    EXPECT_EQ(f.times.creation, 100u);
    EXPECT_EQ(f.times.lastWrite, 200u);
}

TEST(ExtractPack, EmptyFilesGetTimesAndNoProgress) {
    Bench b(buildPack({file("old.txt", "", 5, 6), file("new.txt", "", 7, 8), file("data.txt", "x")}));
    b.fs.addFile("C:\\dest\\old.txt", "previous content");
    ASSERT_TRUE(b.open());
    EXPECT_TRUE(b.extract());
    EXPECT_EQ(b.fs.content("C:\\dest\\old.txt"), "");
    EXPECT_EQ(b.fs.files.at("C:\\dest\\old.txt").times.lastWrite, 6u);
    EXPECT_TRUE(b.fs.has("C:\\dest\\new.txt"));
    EXPECT_EQ(b.fs.files.at("C:\\dest\\new.txt").times.creation, 7u);
    EXPECT_EQ(b.fs.content("C:\\dest\\data.txt"), "x");
    EXPECT_EQ(b.progress, std::vector<std::string>{"data.txt"});
}

TEST(ExtractPack, StoredBytesThatLookCompressedAreCopiedAsTheyAre) {
    std::string inner = "JC" + std::string("\x10\x00\x00\x00rest of a block", 19);
    Bench b(buildPack({file("setup.pck", inner)}));
    ASSERT_TRUE(b.open());
    EXPECT_TRUE(b.extract());
    EXPECT_EQ(b.fs.content("C:\\dest\\setup.pck"), inner);
}

TEST(ExtractPack, DestinationWithoutTrailingBackslash) {
    Bench b(buildPack({folder("f\\"), file("f\\a.txt", "abc")}));
    ASSERT_TRUE(b.open());
    EXPECT_TRUE(b.extract("", "C:\\dest"));
    EXPECT_EQ(b.fs.content("C:\\dest\\f\\a.txt"), "abc");
    EXPECT_FALSE(b.fs.has("C:\\destf\\a.txt"));
}

TEST(ExtractPack, EmptyPackAndUnknownTypes) {
    Bench none(buildPack({}));
    ASSERT_TRUE(none.open());
    EXPECT_TRUE(none.extract());
    EXPECT_TRUE(none.writtenFiles().empty());

    Item odd{"odd.bin", 7, "", 0, 0, std::nullopt};
    Bench b(buildPack({odd, file("after.txt", "after")}));
    ASSERT_TRUE(b.open());
    EXPECT_TRUE(b.extract());
    EXPECT_FALSE(b.fs.has("C:\\dest\\odd.bin"));
    EXPECT_EQ(b.fs.content("C:\\dest\\after.txt"), "after");
}

TEST(ExtractPack, KeepExtensions) {
    FileTimes oldTimes{1, 2};
    struct Case { const char* what; std::string keep; std::string name; bool existing; bool kept; };
    std::vector<Case> cases = {
        {"empty list overwrites", "", "sub\\a.ini", true, false},
        {"existing file kept", "ini|", "sub\\a.ini", true, true},
        {"missing file written", "ini|", "sub\\a.ini", false, false},
        {"single extension without bar", "ini", "sub\\a.ini", true, true},
        {"other letter case written", "ini|", "sub\\a.INI", true, false},
        {"last of a list without bar not examined", "dll|ini", "sub\\a.ini", true, false},
        {"first of a list without bar examined", "ini|dll", "sub\\a.ini", true, true},
        {"dot in a folder part", "d|", "sub.d\\noext", true, false},
        {"empty file kept", "ini|", "sub\\e.ini", true, true},
    };
    for (const Case& c : cases) {
        bool emptyEntry = c.name == "sub\\e.ini";
        Bench b(buildPack({file(c.name, emptyEntry ? "" : "new", 10, 20), file("next.txt", "next")}));
        std::string target = kDest + c.name;
        if (c.existing) b.fs.addFile(target, "old content", oldTimes);
        ASSERT_TRUE(b.open()) << c.what;
        EXPECT_EQ(b.extract(c.keep), !c.kept) << c.what;
        const auto& f = b.fs.files.at(MemoryFileSystem::norm(target));
        if (c.kept) {
            EXPECT_EQ(b.fs.content(target), "old content") << c.what;
            EXPECT_FALSE(f.timesSet) << c.what;
            EXPECT_EQ(f.times.lastWrite, 2u) << c.what;
        } else {
            EXPECT_EQ(b.fs.content(target), emptyEntry ? "" : "new") << c.what;
            EXPECT_EQ(f.times.lastWrite, 20u) << c.what;
        }
        EXPECT_EQ(b.fs.content("C:\\dest\\next.txt"), "next") << c.what;  // the data stayed in step
        std::vector<std::string> expectedProgress;
        if (!c.kept && !emptyEntry) expectedProgress.push_back(c.name);
        expectedProgress.push_back("next.txt");
        EXPECT_EQ(b.progress, expectedProgress) << c.what;
    }
}

TEST(ExtractPack, UnsafeNamesAreNotWrittenButReadPast) {
    for (std::string bad : {"..\\evil.txt", "C:\\evil.txt", "\\evil.txt", "/evil.txt", "a\\..\\..\\evil.txt",
                            "evil.txt:hidden", "sub\\con.txt", "..\\", ""}) {
        uint32_t type = bad.empty() || bad.back() != '\\' ? kEntryFile : kEntryFolder;
        Item evil{bad, type, type == kEntryFile ? "EVIL" : "", 0, 0, std::nullopt};
        Bench b(buildPack({file("first.txt", "one"), evil, file("last.txt", "two")}));
        std::set<std::string> foldersBefore = b.fs.folders;
        ASSERT_TRUE(b.open()) << bad;
        EXPECT_FALSE(b.extract()) << bad;
        EXPECT_EQ(b.writtenFiles(), (std::vector<std::string>{"C:\\dest\\first.txt", "C:\\dest\\last.txt"})) << bad;
        EXPECT_EQ(b.fs.content("C:\\dest\\last.txt"), "two") << bad;
        EXPECT_EQ(b.fs.folders, foldersBefore) << bad;
    }
}

TEST(ExtractPack, ProgressFollowsEveryAttemptedFile) {
    Bench b(buildPack({folder("f\\"), file("f\\one.bin", "1111"), file("empty", ""), file("locked.bin", "22"),
                       file("kept.dll", "33"), file("f\\two.bin", "4")}));
    b.fs.unwritable.insert("C:\\dest\\locked.bin");
    b.fs.addFile("C:\\dest\\kept.dll", "mine");
    ASSERT_TRUE(b.open());
    EXPECT_EQ(b.reader.totalUnpackedSize, 9u);
    EXPECT_FALSE(b.extract("dll|"));
    EXPECT_EQ(b.progress, (std::vector<std::string>{"f\\one.bin", "locked.bin", "f\\two.bin"}));
    EXPECT_EQ(b.fs.content("C:\\dest\\f\\two.bin"), "4");
    EXPECT_FALSE(b.fs.has("C:\\dest\\locked.bin"));
}

TEST(ExtractPack, LoginRetry) {
    struct Case { const char* what; bool answer; bool loginHelps; int expectedCalls; bool written; };
    std::vector<Case> cases = {
        {"login succeeds", true, true, 1, true},
        {"login declined", false, true, 1, false},
        {"retry fails again", true, false, 1, false},
    };
    for (const Case& c : cases) {
        for (std::string data : {"payload", ""}) {
            Bench b(buildPack({file("locked.bin", data, 3, 4), file("next.txt", "n")}));
            b.fs.unwritable.insert("C:\\dest\\locked.bin");
            int calls = 0;
            b.reader.loginRetry = [&] {
                ++calls;
                if (c.loginHelps) b.fs.unwritable.clear();
                return c.answer;
            };
            ASSERT_TRUE(b.open());
            EXPECT_EQ(b.extract(), c.written) << c.what;
            EXPECT_EQ(calls, c.expectedCalls) << c.what;
            EXPECT_EQ(b.fs.has("C:\\dest\\locked.bin"), c.written) << c.what;
            if (c.written) {
                EXPECT_EQ(b.fs.content("C:\\dest\\locked.bin"), data) << c.what;
            }
            EXPECT_EQ(b.fs.content("C:\\dest\\next.txt"), "n") << c.what;
        }
    }
}

TEST(ExtractPack, CompressedEntriesAndDirectory) {
    std::string text("compressed text \0\xFF with every byte kept", 39);
    std::vector<Item> items = {folder("sub\\"), compressed("sub\\c.txt", text, 42), file("plain.txt", "plain")};
    for (const std::string& bytes : {buildPack(items, "IMG"), buildPackCompressedDirectory(items, "IMG")}) {
        Bench b(bytes);
        ASSERT_TRUE(b.open());
        ASSERT_EQ(b.reader.entries.size(), 3u);
        EXPECT_NE(b.reader.entries[1].packedSize, b.reader.entries[1].unpackedSize);
        EXPECT_TRUE(b.extract());
        EXPECT_EQ(b.fs.content("C:\\dest\\sub\\c.txt"), text);
        EXPECT_EQ(b.fs.files.at("C:\\dest\\sub\\c.txt").times.lastWrite, 42u);
        EXPECT_EQ(b.fs.content("C:\\dest\\plain.txt"), "plain");
    }
}

TEST(ExtractPack, RefusedCompressedBlockLeavesTargetsAlone) {
    Item badChecksum = compressed("bad.bin", "0123456789");
    (*badChecksum.packed)[6] ^= 1;
    Item noChecksum = file("short.bin", "0123456789");
    noChecksum.packed = literalBlock("012345678", false);
    (*noChecksum.packed)[2] = 10;  // the header promises a byte more than the stream holds
    Bench b(buildPack({garbage("new.bin", "0123456789", 6), garbage("old.bin", "0123456789", 4), badChecksum,
                       noChecksum, file("after.txt", "after")}));
    b.fs.addFile("C:\\dest\\old.bin", "keep me", FileTimes{1, 2});
    ASSERT_TRUE(b.open());
    EXPECT_FALSE(b.extract());
    EXPECT_FALSE(b.fs.has("C:\\dest\\new.bin"));
    EXPECT_EQ(b.fs.content("C:\\dest\\old.bin"), "keep me");
    EXPECT_FALSE(b.fs.files.at("C:\\dest\\old.bin").timesSet);
    EXPECT_EQ(b.fs.content("C:\\dest\\after.txt"), "after");
    EXPECT_FALSE(b.fs.has("C:\\dest\\bad.bin"));
    EXPECT_FALSE(b.fs.has("C:\\dest\\short.bin"));
    EXPECT_EQ(b.progress, (std::vector<std::string>{"new.bin", "old.bin", "bad.bin", "short.bin", "after.txt"}));
}

TEST(ExtractPack, PackGoneBeforeExtractionExtractsNothing) {
    Bench b(buildPack({file("a.txt", "a")}));
    ASSERT_TRUE(b.open());
    b.fs.files.erase(MemoryFileSystem::norm(kPackPath));
    EXPECT_TRUE(b.extract());
    EXPECT_TRUE(b.writtenFiles().empty());
}

// The order of calls on each target: the times must follow the data, or the
// writes would replace the stored last-write time.
class RecordingFileSystem : public MemoryFileSystem {
public:
    std::vector<std::string> log;

    class Recorder : public OpenedFile {
    public:
        Recorder(std::unique_ptr<OpenedFile> inner, std::vector<std::string>& log) : inner_(std::move(inner)), log_(log) {}
        bool read(void* b, uint32_t n) override { return inner_->read(b, n); }
        bool skip(uint32_t n) override { return inner_->skip(n); }
        bool seek(uint64_t o) override { return inner_->seek(o); }
        bool write(const void* d, uint32_t n) override { log_.push_back("write"); return inner_->write(d, n); }
        bool truncateHere() override { return inner_->truncateHere(); }
        uint64_t size() override { return inner_->size(); }
        bool setTimes(const FileTimes& t) override { log_.push_back("times"); return inner_->setTimes(t); }
    private:
        std::unique_ptr<OpenedFile> inner_;
        std::vector<std::string>& log_;
    };

    std::unique_ptr<OpenedFile> createReplace(const std::string& path) override {
        auto inner = MemoryFileSystem::createReplace(path);
        if (!inner) return nullptr;
        log.push_back("create " + path);
        return std::make_unique<Recorder>(std::move(inner), log);
    }
};

TEST(ExtractPack, TimesAreSetAfterTheData) {
    RecordingFileSystem fs;
    std::string big(200000, 'b');  // more than one copy piece
    fs.addFile(kPackPath, buildPack({file("a.txt", "abc"), file("big.bin", big)}));
    fs.addFolder(kDest);
    PackReader reader;
    reader.fs = &fs;
    ASSERT_TRUE(openPack(reader, kPackPath, nullptr));
    ASSERT_TRUE(extractPack(reader, kDest, ""));
    ASSERT_FALSE(fs.log.empty());
    EXPECT_EQ(fs.log.front(), "create C:\\dest\\a.txt");
    for (size_t i = 0; i + 1 < fs.log.size(); ++i) {
        if (fs.log[i] == "times") {
            EXPECT_EQ(fs.log[i + 1].rfind("create ", 0), 0u) << "call " << i;
        }
    }
    EXPECT_EQ(fs.log.back(), "times");
    EXPECT_EQ(fs.content("C:\\dest\\big.bin"), big);
}

}  // namespace
