// qbmake: projects on disk built into installers, read back with the pack reader.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "build.h"
#include "cli.h"
#include "code_page.h"
#include "list.h"
#include "memory_file_system.h"
#include "payload/pack_reader.h"
#include "project.h"

namespace fs = std::filesystem;

namespace {

// FILETIME values of known instants.
constexpr uint64_t kY2000 = 125911584000000000;        // 2000-01-01 00:00:00 UTC
constexpr uint64_t kFeb2001 = 126256467060000000;      // 2001-02-03 04:05:06 UTC
constexpr uint64_t kDec2019 = 132223103980000000;      // 2019-12-31 23:59:58 UTC

fs::file_time_type fileTimeFromFileTime(uint64_t fileTime) {
    using namespace std::chrono;
    auto sinceUnix = duration<int64_t, std::ratio<1, 10000000>>(int64_t(fileTime) - 116444736000000000);
    return file_clock::from_sys(sys_time<nanoseconds>(duration_cast<nanoseconds>(sinceUnix)));
}

// A fresh folder for one test, removed at the end.
class TempFolder {
public:
    TempFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::path(::testing::TempDir()) / ("qbmake_" + std::string(info->name()) + "_" + std::to_string(++counter_));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    static inline int counter_ = 0;
    fs::path path_;
};

void writeFile(const fs::path& path, const std::string& bytes, uint64_t fileTime = kY2000) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    fs::last_write_time(path, fileTimeFromFileTime(fileTime));
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The smallest file qbmake takes for a stub: "MZ", the PE offset, "PE\0\0".
std::string fakeStub() {
    std::string stub(0x40, '\0');
    stub[0] = 'M';
    stub[1] = 'Z';
    stub[0x3C] = 0x40;
    stub += std::string("PE\0\0", 4) + std::string(60, '\x90');
    return stub;
}

const std::string kToolBytes = std::string("JC\x05\0\0\0binary\0\xFF tool", 20);

// Text that compresses well, so that its entry is a compressed block.
std::string bigText() {
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "line " + std::to_string(i % 97) + " of the manual\r\n";
    return text;
}

// A project with payload files, another top-level folder, and program files
// whose names exercise byte order, folders, an empty file and a 1252 name.
fs::path makeProject(const fs::path& root, const std::string& setupIni = "[Settings]\r\nProgExe=Tool.exe\r\n") {
    fs::path p = root / "project";
    writeFile(p / "setup.ini", setupIni, kFeb2001);
    writeFile(p / "English.lng", "[Buttons]\r\nNext=Next >\r\n");
    writeFile(p / "Zeta.txt", "zeta");
    writeFile(p / "zz.txt", "last");
    writeFile(p / "extra" / "x.txt", "extra file");
    writeFile(p / "files" / "Tool.exe", kToolBytes, kDec2019);
    writeFile(p / "files" / "a-b.txt", "a-b");
    writeFile(p / "files" / "a.txt", "a");
    writeFile(p / "files" / "a" / "inner.txt", "inner");
    writeFile(p / "files" / "caf\xC3\xA9.txt", "caf\xC3\xA9");
    writeFile(p / "files" / "docs" / "deep" / "notes.txt", "deep file", kFeb2001);
    writeFile(p / "files" / "docs" / "empty.txt", "", kFeb2001);
    writeFile(p / "files" / "docs" / "big.txt", bigText());
    fs::last_write_time(p / "files" / "docs", fileTimeFromFileTime(kY2000));
    return p;
}

// A pack read back through the pack reader over memory, and extracted.
struct ReadBack {
    MemoryFileSystem fs;
    PackReader reader;
    bool opened = false;
    bool extracted = false;

    explicit ReadBack(const std::string& bytes) {
        fs.addFile("C:\\in\\pack", bytes);
        fs.addFolder("C:\\out");
        reader.fs = &fs;
        opened = openPack(reader, "C:\\in\\pack", nullptr);
        extracted = opened && extractPack(reader, "C:\\out", "");
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const PackEntry& e : reader.entries) out.push_back(e.name);
        return out;
    }
    const PackEntry& entry(const std::string& name) const {
        for (const PackEntry& e : reader.entries)
            if (e.name == name) return e;
        static PackEntry none;
        ADD_FAILURE() << "no entry " << name;
        return none;
    }
    std::string content(const std::string& name) const { return fs.content("C:\\out\\" + name); }
};

// The offsets the builder wrote must be the ones a sequential reader finds.
void expectOffsetsInSequence(const PackReader& reader) {
    uint64_t offset = reader.dataStart;
    for (const PackEntry& e : reader.entries) {
        EXPECT_EQ(e.dataOffset, offset) << e.name;
        offset += e.packedSize;
    }
}

BuildOptions optionsFor(const fs::path& project, const fs::path& output, const fs::path& stub) {
    BuildOptions o;
    o.project = project;
    o.output = output;
    o.stub = stub;
    return o;
}

const std::vector<std::string> kProgramOrder = {
    "Tool.exe", "a-b.txt", "a.txt", "a\\", "a\\inner.txt", "caf\xE9.txt",
    "docs\\", "docs\\big.txt", "docs\\deep\\", "docs\\deep\\notes.txt", "docs\\empty.txt",
};

// ---------------------------------------------------------------- build

TEST(QbmakeBuild, PayloadAndProgramPackReadBack) {
    TempFolder tmp;
    fs::path project = makeProject(tmp.path());
    writeFile(tmp.path() / "Install.exe", fakeStub());
    fs::path out = tmp.path() / "out" / "Setup.exe";
    fs::create_directories(out.parent_path());
    std::string error;
    ASSERT_TRUE(buildInstaller(optionsFor(project, out, tmp.path() / "Install.exe"), error)) << error;

    std::string installer = readFile(out);
    ASSERT_EQ(installer.compare(0, fakeStub().size(), fakeStub()), 0) << "the stub comes first, unchanged";
    ReadBack payload(installer);
    ASSERT_TRUE(payload.opened);
    EXPECT_TRUE(payload.extracted);
    EXPECT_EQ(payload.reader.dataStart, fakeStub().size());
    EXPECT_EQ(payload.names(), (std::vector<std::string>{"English.lng", "Zeta.txt", "extra\\", "extra\\x.txt",
                                                        "setup.ini", "setup.pck", "zz.txt"}));
    expectOffsetsInSequence(payload.reader);
    EXPECT_EQ(payload.content("setup.ini"), readFile(project / "setup.ini"));
    EXPECT_EQ(payload.content("extra\\x.txt"), "extra file");
    EXPECT_EQ(payload.entry("setup.ini").lastWriteTime, kFeb2001);
    EXPECT_EQ(payload.entry("setup.ini").creationTime, kFeb2001);
    EXPECT_EQ(payload.entry("extra\\").type, kEntryFolder);
    // The program pack carries the newest time of the files in it.
    EXPECT_EQ(payload.entry("setup.pck").lastWriteTime, kDec2019);

    ReadBack program(payload.content("setup.pck"));
    ASSERT_TRUE(program.opened);
    EXPECT_TRUE(program.extracted);
    EXPECT_EQ(program.reader.dataStart, 0u);
    EXPECT_EQ(program.names(), kProgramOrder);
    expectOffsetsInSequence(program.reader);
    EXPECT_EQ(program.content("Tool.exe"), kToolBytes);
    EXPECT_EQ(program.content("caf\xE9.txt"), "caf\xC3\xA9");  // names convert, contents do not
    EXPECT_EQ(program.content("docs\\deep\\notes.txt"), "deep file");
    EXPECT_TRUE(program.fs.has("C:\\out\\docs\\empty.txt"));
    EXPECT_EQ(program.entry("docs\\empty.txt").unpackedSize, 0u);
    EXPECT_EQ(program.entry("docs\\empty.txt").lastWriteTime, kFeb2001);
    EXPECT_EQ(program.entry("Tool.exe").lastWriteTime, kDec2019);
    EXPECT_EQ(program.entry("docs\\").lastWriteTime, kY2000);
    EXPECT_EQ(program.reader.totalUnpackedSize, kToolBytes.size() + 3 + 1 + 5 + 5 + 9 + bigText().size());
    // Compressed where that saves bytes; the program pack itself travels stored.
    EXPECT_EQ(program.content("docs\\big.txt"), bigText());
    EXPECT_LT(program.entry("docs\\big.txt").packedSize, bigText().size() / 4);
    EXPECT_EQ(payload.entry("setup.pck").packedSize, payload.entry("setup.pck").unpackedSize);

    EXPECT_FALSE(fs::exists(tmp.path() / "out" / "Setup.exe.tmp"));
    EXPECT_FALSE(fs::exists(tmp.path() / "out" / "Setup.exe.pck.tmp"));
    EXPECT_EQ(std::distance(fs::directory_iterator(out.parent_path()), fs::directory_iterator()), 1);
}

TEST(QbmakeBuild, LevelsTradeSizeAndLevelZeroStores) {
    TempFolder tmp;
    fs::path project = makeProject(tmp.path());
    writeFile(tmp.path() / "Install.exe", fakeStub());
    std::map<int, size_t> bigPacked;
    for (int level : {0, 1, 9}) {
        BuildOptions o = optionsFor(project, tmp.path() / ("L" + std::to_string(level) + ".exe"), tmp.path() / "Install.exe");
        o.level = level;
        std::string error;
        ASSERT_TRUE(buildInstaller(o, error)) << error;
        ReadBack payload(readFile(o.output));
        ASSERT_TRUE(payload.opened);
        ReadBack program(payload.content("setup.pck"));
        ASSERT_TRUE(program.extracted) << "level " << level;
        EXPECT_EQ(program.content("docs\\big.txt"), bigText()) << "level " << level;
        bigPacked[level] = program.entry("docs\\big.txt").packedSize;
    }
    EXPECT_EQ(bigPacked[0], bigText().size()) << "level 0 stores";
    EXPECT_LT(bigPacked[1], bigText().size());
    EXPECT_LE(bigPacked[9], bigPacked[1]);
}

TEST(QbmakeBuild, SameProjectSameBytes) {
    TempFolder tmp;
    fs::path project = makeProject(tmp.path());
    writeFile(tmp.path() / "Install.exe", fakeStub());
    std::string error;
    ASSERT_TRUE(buildInstaller(optionsFor(project, tmp.path() / "one.exe", tmp.path() / "Install.exe"), error)) << error;
    ASSERT_TRUE(buildInstaller(optionsFor(project, tmp.path() / "two.exe", tmp.path() / "Install.exe"), error)) << error;
    EXPECT_EQ(readFile(tmp.path() / "one.exe"), readFile(tmp.path() / "two.exe"));
}

TEST(QbmakeBuild, SplitWritesTheProgramPackNextToTheInstaller) {
    TempFolder tmp;
    fs::path project = makeProject(tmp.path(), "[Settings]\r\nProgExe=Tool.exe\r\nSplit = 1\r\n");
    writeFile(tmp.path() / "Install.exe", fakeStub());
    std::string error;
    ASSERT_TRUE(buildInstaller(optionsFor(project, tmp.path() / "Setup.exe", tmp.path() / "Install.exe"), error)) << error;

    ReadBack payload(readFile(tmp.path() / "Setup.exe"));
    ASSERT_TRUE(payload.opened);
    EXPECT_EQ(payload.names(), (std::vector<std::string>{"English.lng", "Zeta.txt", "extra\\", "extra\\x.txt",
                                                        "setup.ini", "zz.txt"}));
    ReadBack program(readFile(tmp.path() / "Setup.pkj"));
    ASSERT_TRUE(program.opened);
    EXPECT_TRUE(program.extracted);
    EXPECT_EQ(program.reader.dataStart, 0u);
    EXPECT_EQ(program.names(), kProgramOrder);
    EXPECT_FALSE(fs::exists(tmp.path() / "Setup.pkj.tmp"));
}

TEST(QbmakeBuild, ProjectWithoutProgramFiles) {
    TempFolder tmp;
    fs::path project = tmp.path() / "p";
    writeFile(project / "setup.ini", "[Settings]\r\n");
    writeFile(tmp.path() / "Install.exe", fakeStub());
    std::string error;
    ASSERT_TRUE(buildInstaller(optionsFor(project, tmp.path() / "Setup.exe", tmp.path() / "Install.exe"), error)) << error;
    ReadBack payload(readFile(tmp.path() / "Setup.exe"));
    ASSERT_EQ(payload.names(), (std::vector<std::string>{"setup.ini", "setup.pck"}));
    ReadBack program(payload.content("setup.pck"));
    EXPECT_TRUE(program.opened);
    EXPECT_TRUE(program.reader.entries.empty());
    EXPECT_EQ(payload.entry("setup.pck").lastWriteTime, kY2000);  // the time of setup.ini
}

TEST(QbmakeBuild, RefusalsLeaveNoOutputBehind) {
    struct Case {
        const char* what;
        std::function<void(const fs::path& project, BuildOptions& options)> arrange;
        std::string expected;      // part of the message
        std::string namedFile;     // the file the message must name, relative to the temp folder
    };
    std::vector<Case> cases = {
        {"missing project folder", [](const fs::path& p, BuildOptions& o) { fs::remove_all(p); },
         "no such project folder", "project"},
        {"missing setup.ini", [](const fs::path& p, BuildOptions&) { fs::remove(p / "setup.ini"); },
         "setup.ini", "project/setup.ini"},
        {"stub is no PE file", [](const fs::path&, BuildOptions& o) { writeFile(o.stub, std::string(100, 'x')); },
         "not a PE executable", "Install.exe"},
        {"stub with MZ but no PE header",
         [](const fs::path&, BuildOptions& o) {
             std::string s = fakeStub();
             s[0x40] = 'N';
             writeFile(o.stub, s);
         },
         "not a PE executable", "Install.exe"},
        {"stub missing", [](const fs::path&, BuildOptions& o) { fs::remove(o.stub); }, "no such stub", "Install.exe"},
        {"stub is an installer already",
         [](const fs::path&, BuildOptions& o) { writeFile(o.stub, fakeStub() + std::string("\0\0\0\0\0\0\0\0\0\0\0\0Pack", 16)); },
         "already carries a pack", "Install.exe"},
        {"name outside code page 1252",
         [](const fs::path& p, BuildOptions&) { writeFile(p / "files" / "\xE6\x97\xA5\xE6\x9C\xAC.txt", "x"); },
         "code page 1252", "project/files/\xE6\x97\xA5\xE6\x9C\xAC.txt"},
        {"backslash inside a Linux name",
         [](const fs::path& p, BuildOptions&) { writeFile(p / "files" / "a\\b.txt", "x"); },
         "does not allow", "project/files/a\\b.txt"},
        {"name ending in a dot", [](const fs::path& p, BuildOptions&) { writeFile(p / "files" / "sub." / "x", "x"); },
         "ends in a dot", "project/files/sub."},
        {"device name", [](const fs::path& p, BuildOptions&) { writeFile(p / "files" / "docs" / "con.txt", "x"); },
         "reserved", "project/files/docs/con.txt"},
        {"names that differ in case only",
         [](const fs::path& p, BuildOptions&) { writeFile(p / "files" / "TOOL.EXE", "x"); },
         "letter case", "project/files/"},
        {"accented names that differ in case only",
         [](const fs::path& p, BuildOptions&) { writeFile(p / "files" / "CAF\xC3\x89.txt", "x"); },
         "letter case", "project/files/"},
        {"link to nothing",
         [](const fs::path& p, BuildOptions&) { fs::create_symlink(p / "nowhere", p / "files" / "broken.txt"); },
         "cannot read", "project/files/broken.txt"},
        {"file of 4 GiB",
         [](const fs::path& p, BuildOptions&) {
             writeFile(p / "files" / "huge.bin", "");
             fs::resize_file(p / "files" / "huge.bin", uint64_t(1) << 32);  // sparse: costs no disk
         },
         "4 GiB", "project/files/huge.bin"},
        {"top-level setup.pck", [](const fs::path& p, BuildOptions&) { writeFile(p / "setup.pck", "x"); },
         "clashes with the program pack", "project/setup.pck"},
        {"split without .exe in the name",
         [](const fs::path& p, BuildOptions& o) {
             writeFile(p / "setup.ini", "[Settings]\r\nSplit=1\r\n");
             o.output = o.output.parent_path() / "Setup.EXE";
         },
         "\".exe\"", "out/Setup.EXE"},
        {"output inside the project",
         [](const fs::path& p, BuildOptions& o) { o.output = p / "Setup.exe"; }, "project folder", "project/Setup.exe"},
        {"output folder missing",
         [](const fs::path& p, BuildOptions& o) { o.output = p.parent_path() / "missing" / "Setup.exe"; },
         "cannot create", "missing/Setup.exe"},
        {"unsupported code page", [](const fs::path&, BuildOptions& o) { o.codePage = 850; }, "850", ""},
    };
    for (const Case& c : cases) {
        TempFolder tmp;
        fs::path project = makeProject(tmp.path());
        writeFile(tmp.path() / "Install.exe", fakeStub());
        fs::create_directories(tmp.path() / "out");
        BuildOptions options = optionsFor(project, tmp.path() / "out" / "Setup.exe", tmp.path() / "Install.exe");
        writeFile(options.output, "previous installer");
        c.arrange(project, options);

        std::string error;
        EXPECT_FALSE(buildInstaller(options, error)) << c.what;
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.what << ": " << error;
        if (!c.namedFile.empty()) {
            EXPECT_NE(error.find((tmp.path() / c.namedFile).string()), std::string::npos) << c.what << ": " << error;
        }
        // Nothing half-written, and an earlier installer untouched.
        EXPECT_EQ(readFile(tmp.path() / "out" / "Setup.exe"), "previous installer") << c.what;
        std::vector<std::string> left;
        for (const auto& e : fs::directory_iterator(tmp.path() / "out")) left.push_back(e.path().filename().string());
        EXPECT_EQ(left, std::vector<std::string>{"Setup.exe"}) << c.what;
    }
}

// ---------------------------------------------------------------- command line

struct RunResult {
    int code;
    std::string out, err;
};

RunResult run(const std::vector<std::string>& args, const fs::path& self = "/nowhere/qbmake") {
    std::ostringstream out, err;
    int code = runQbmake(args, self, out, err);
    return {code, out.str(), err.str()};
}

TEST(QbmakeCommandLine, UsageErrors) {
    std::vector<std::vector<std::string>> cases = {
        {},
        {"frob"},
        {"build"},
        {"build", "p"},
        {"build", "p", "-o"},
        {"build", "-o", "x.exe"},
        {"build", "p", "-o", "x.exe", "--bogus"},
        {"build", "p", "q", "-o", "x.exe"},
        {"build", "p", "-o", "x.exe", "--codepage", "abc"},
        {"build", "p", "-o", "x.exe", "--stub"},
        {"build", "p", "-o", "x.exe", "--level", "10"},
        {"build", "p", "-o", "x.exe", "--level", "fast"},
        {"list"},
        {"list", "a", "b"},
    };
    for (const auto& args : cases) {
        RunResult r = run(args);
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        EXPECT_EQ(r.code, 2) << joined;
        EXPECT_NE(r.err.find("usage: qbmake build"), std::string::npos) << joined;
        EXPECT_TRUE(r.out.empty()) << joined;
    }
    RunResult help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("usage:"), std::string::npos);
}

TEST(QbmakeCommandLine, BuildWithDefaultStubThenList) {
    TempFolder tmp;
    fs::path project = makeProject(tmp.path());
    writeFile(tmp.path() / "bin" / "Install.exe", fakeStub());
    fs::path out = tmp.path() / "Setup.exe";

    RunResult quiet = run({"build", project.string(), "-o", out.string(), "-q"}, tmp.path() / "bin" / "qbmake");
    ASSERT_EQ(quiet.code, 0) << quiet.err;
    EXPECT_EQ(quiet.err, "");
    fs::remove(out);
    RunResult loud = run({"build", project.string(), "-o", out.string(), "--codepage", "1252"}, tmp.path() / "bin" / "qbmake");
    ASSERT_EQ(loud.code, 0) << loud.err;
    EXPECT_NE(loud.err.find("qbmake: writing program pack"), std::string::npos) << loud.err;

    RunResult listed = run({"list", out.string()});
    ASSERT_EQ(listed.code, 0) << listed.err;
    for (std::string expected : {"setup.pck", "extra\\x.txt", "docs\\deep\\notes.txt", "caf\xC3\xA9.txt",
                                 "2019-12-31 23:59:58", "folder"}) {
        EXPECT_NE(listed.out.find(expected), std::string::npos) << expected << "\n" << listed.out;
    }
}

TEST(QbmakeCommandLine, RefusalsExitWithOne) {
    TempFolder tmp;
    RunResult missingStub = run({"build", makeProject(tmp.path()).string(), "-o", (tmp.path() / "S.exe").string()},
                          tmp.path() / "bin" / "qbmake");
    EXPECT_EQ(missingStub.code, 1);
    EXPECT_EQ(missingStub.err.rfind("qbmake: error: " + (tmp.path() / "bin" / "Install.exe").string(), 0), 0u)
        << missingStub.err;

    writeFile(tmp.path() / "junk.bin", "not a pack at all");
    RunResult junk = run({"list", (tmp.path() / "junk.bin").string()});
    EXPECT_EQ(junk.code, 1);
    EXPECT_NE(junk.err.find("qbmake: error: " + (tmp.path() / "junk.bin").string()), std::string::npos) << junk.err;

    RunResult none = run({"list", (tmp.path() / "none.exe").string()});
    EXPECT_EQ(none.code, 1);
    EXPECT_NE(none.err.find("no such file"), std::string::npos) << none.err;
}

// ---------------------------------------------------------------- pieces

TEST(QbmakeCodePage, Utf8ToWindows1252) {
    struct Case { std::string utf8; std::optional<std::string> cp1252; };
    std::vector<Case> cases = {
        {"plain ASCII.txt", "plain ASCII.txt"},
        {"caf\xC3\xA9", "caf\xE9"},
        {"\xE2\x82\xAC", "\x80"},             // euro sign
        {"\xC5\xB8", "\x9F"},                 // Y with diaeresis
        {"\xC3\xBF", "\xFF"},
        {"\xC2\xA0", "\xA0"},
        {"\xC2\x81", std::nullopt},           // U+0081: unassigned in 1252
        {"\xC4\x81", std::nullopt},           // a with macron
        {"\xE6\x97\xA5", std::nullopt},
        {"\xF0\x9F\x98\x80", std::nullopt},
        {"\xC3", std::nullopt},               // cut short
        {"\xC0\xAF", std::nullopt},           // overlong
        {"\xED\xA0\x80", std::nullopt},       // surrogate
        {"\xF5\x80\x80\x80", std::nullopt},   // past U+10FFFF
        {"\xA9", std::nullopt},               // a lone continuation byte
    };
    for (const Case& c : cases) EXPECT_EQ(utf8ToWindows1252(c.utf8), c.cp1252) << c.utf8;

    for (int b = 0x20; b < 0x100; ++b) {
        std::string one(1, char(b));
        std::optional<std::string> back = utf8ToWindows1252(windows1252ToUtf8(one));
        bool unassigned = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        EXPECT_EQ(back.has_value(), !unassigned) << b;
        if (back) {
            EXPECT_EQ(*back, one) << b;
        }
    }
}

TEST(QbmakeProject, WindowsNameProblems) {
    struct Case { std::string name; bool fine; };
    std::vector<Case> cases = {
        {"readme.txt", true}, {".hidden", true}, {"a b", true}, {"caf\xC3\xA9", true},
        {"a:b", false}, {"a?b", false}, {"a*b", false}, {"a\"b", false}, {"a<b", false}, {"a>b", false},
        {"a|b", false}, {"a\\b", false}, {"tab\there", false}, {"dot.", false}, {"blank ", false},
        {"CON", false}, {"nul.txt", false}, {"com1", false}, {"..", false},
    };
    for (const Case& c : cases) EXPECT_EQ(windowsNameProblem(c.name).empty(), c.fine) << c.name;
}

TEST(QbmakeProject, SplitFlag) {
    struct Case { std::string ini; bool split; };
    std::vector<Case> cases = {
        {"", false},
        {"[Settings]\nSplit=1", true},
        {"[settings]\r\n  \tsplit \t=  1  \r\n", true},
        {"\xEF\xBB\xBF[Settings]\r\nSplit=1\r\n", true},
        {"[Settings]\rSplit=1\r", true},
        {"Split=1\n[Settings]\n", false},
        {"[Other]\nSplit=1\n", false},
        {"[Settings]\nSplit=0", false},
        {"[Settings]\nSplit=256", false},
        {"[Settings]\nSplit=257", true},
        {"[Settings]\nSplit=-1", true},
        {"[Settings]\nSplit=1abc", true},
        {"[Settings]\nSplit=yes", false},
        {"[Settings]\nSplit", false},
        {"[Settings]\n; Split=1\n", false},
        {"[Settings]\nSplitter=1\n", false},
        {"[Settings]\nSplit=1\nSplit=0\n", true},
        {"[Settings]\nSplit=0\n[Settings]\nSplit=1\n", false},
        {"[Settings]\n[Other]\nSplit=1\n", false},
    };
    for (const Case& c : cases) EXPECT_EQ(readSplitFlag(c.ini), c.split) << c.ini;
}

TEST(QbmakeProject, SplitPackPath) {
    EXPECT_EQ(splitPackPath("/a/Setup.exe"), fs::path("/a/Setup.pkj"));
    EXPECT_EQ(splitPackPath("/x.exe/my.exe.exe"), fs::path("/x.exe/my.pkj.pkj"));
    EXPECT_EQ(splitPackPath("/a/SETUP.EXE"), fs::path());
}

TEST(QbmakeList, FileTimes) {
    EXPECT_EQ(formatFileTime(0), "1601-01-01 00:00:00");
    EXPECT_EQ(formatFileTime(kY2000), "2000-01-01 00:00:00");
    EXPECT_EQ(formatFileTime(kFeb2001 + 9999999), "2001-02-03 04:05:06");
    EXPECT_EQ(formatFileTime(kDec2019), "2019-12-31 23:59:58");
    EXPECT_EQ(fileTimeOf(fileTimeFromFileTime(kDec2019 + 1234567)), kDec2019 + 1234567);
}

}  // namespace
