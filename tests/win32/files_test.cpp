// The Windows file system under the pack and settings code, and extraction and
// settings files on a real disk.
#include <vector>

#include "payload/pack_format.h"
#include "payload/pack_reader.h"
#include "payload/settings_file.h"
#include "system/files_win32.h"
#include "win32_test_support.h"

namespace {

constexpr uint64_t kCreated = 0x01D0A1B2C3D4E5F0ull;   // 2015
constexpr uint64_t kWritten = 0x01D5A1B2C3D4E5F0ull;   // 2019

// Wine on a Linux file system cannot store a creation time (it reports another
// time instead); the creation half of a check is made only where it is kept.
bool creationTimesKept(const std::string& folder) {
    const std::string probe = folder + "probe.tmp";
    writeFile(probe, "p");
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME t{0x12345678, 0x01C00000};
    SetFileTime(h, &t, nullptr, nullptr);
    CloseHandle(h);
    uint64_t c = 0, w = 0;
    fileTimes(probe, c, w);
    DeleteFileA(probe.c_str());
    return c == 0x01C0000012345678ull;
}

void expectTimes(const std::string& path, bool creationKept) {
    uint64_t c = 0, w = 0;
    ASSERT_TRUE(fileTimes(path, c, w)) << path;
    EXPECT_EQ(w, kWritten) << path;
    if (creationKept) EXPECT_EQ(c, kCreated) << path;
}

TEST(WindowsFileSystemTest, ReplaceHoldAndTimes) {
    ScratchFolder dir;
    FileSystem& fs = windowsFileSystem();
    const std::string path = dir.path() + "a.txt";
    writeFile(path, "old content that is long");

    {
        auto f = fs.createReplace(path);
        ASSERT_TRUE(f);
        ASSERT_TRUE(f->write("new", 3));
        ASSERT_TRUE(f->setTimes({kCreated, kWritten}));
    }
    EXPECT_EQ(readFile(path), "new");
    expectTimes(path, creationTimesKept(dir.path()));

    // While held, others may read the file but not write it.
    bool writable = false;
    auto held = fs.openHeld(path, writable);
    ASSERT_TRUE(held);
    EXPECT_TRUE(writable);
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    CloseHandle(reader);
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);

    EXPECT_EQ(fs.fileSize(path), 3);
    EXPECT_EQ(fs.fileSize(dir.path()), -1);
    EXPECT_TRUE(fs.isFolder(dir.path()));
    EXPECT_FALSE(fs.isFile(dir.path()));
}

TEST(TemporaryFolderTest, RemovesOnlyWhatItShould) {
    ScratchFolder dir;
    const std::string tmp = dir.path() + "{GUID}\\";
    CreateDirectoryA(tmp.c_str(), nullptr);
    writeFile(tmp + "a.txt", "a");
    writeFile(tmp + "b.bin", "b");
    removeTemporaryFolder(tmp);
    EXPECT_FALSE(folderExists(tmp)) << "a folder holding only plain files goes entirely";

    CreateDirectoryA(tmp.c_str(), nullptr);
    CreateDirectoryA((tmp + "sub").c_str(), nullptr);
    writeFile(tmp + "sub\\inner.txt", "x");
    writeFile(tmp + "top.txt", "t");
    writeFile(tmp + "ro.txt", "r");
    SetFileAttributesA((tmp + "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    removeTemporaryFolder(tmp);
    EXPECT_FALSE(fileExists(tmp + "top.txt"));
    EXPECT_TRUE(fileExists(tmp + "ro.txt"));
    EXPECT_TRUE(fileExists(tmp + "sub\\inner.txt"));
    EXPECT_TRUE(folderExists(tmp));
}

// A standalone pack file of stored entries.
std::string writePack(const std::string& path, std::vector<std::pair<PackEntry, std::string>> items) {
    std::string data;
    std::vector<PackEntry> entries;
    for (auto& [entry, content] : items) {
        entry.unpackedSize = entry.packedSize = uint32_t(content.size());
        entry.dataOffset = uint32_t(data.size());
        data += content;
        entries.push_back(entry);
    }
    std::vector<uint8_t> dir = serializeDirectory(entries);
    PackTrailer trailer{uint32_t(dir.size()), uint32_t(dir.size()), 0, kPackMagic};
    uint8_t tail[16];
    serializeTrailer(trailer, tail);
    std::string bytes = data + std::string(dir.begin(), dir.end()) + std::string(tail, tail + 16);
    writeFile(path, bytes);
    return bytes;
}

PackEntry fileEntry(const std::string& name) {
    PackEntry e;
    e.name = name;
    e.type = kEntryFile;
    e.creationTime = kCreated;
    e.lastWriteTime = kWritten;
    return e;
}

TEST(ExtractionTest, WritesFilesFoldersAndTimesOnDisk) {
    ScratchFolder dir;
    PackEntry folder = fileEntry("docs\\");
    folder.type = kEntryFolder;
    writePack(dir.path() + "p.pck", {{folder, ""},
                                     {fileEntry("docs\\deep\\a.txt"), "alpha"},
                                     {fileEntry("empty.txt"), ""},
                                     {fileEntry("JC.bin"), "JCnot really a block"}});
    PackReader reader;
    reader.fs = &windowsFileSystem();
    int progress = 0;
    ASSERT_TRUE(openPack(reader, dir.path() + "p.pck", [&] { ++progress; }));
    const std::string dest = dir.path() + "out";  // no trailing '\' on purpose
    CreateDirectoryA(dest.c_str(), nullptr);
    EXPECT_TRUE(extractPack(reader, dest, ""));
    closePack(reader);

    EXPECT_EQ(readFile(dest + "\\docs\\deep\\a.txt"), "alpha");
    EXPECT_EQ(readFile(dest + "\\empty.txt"), "");
    EXPECT_EQ(readFile(dest + "\\JC.bin"), "JCnot really a block");
    EXPECT_EQ(progress, 2);
    const bool creationKept = creationTimesKept(dir.path());
    for (const char* name : {"\\docs\\deep\\a.txt", "\\empty.txt"}) expectTimes(dest + name, creationKept);
}

TEST(ExtractionTest, KeepExtensionsLeavesExistingFilesAlone) {
    ScratchFolder dir;
    writePack(dir.path() + "p.pck", {{fileEntry("sub\\lib.dll"), "new dll"},
                                     {fileEntry("sub\\other.dll"), "fresh"},
                                     {fileEntry("sub\\prog.DLL"), "new upper"},
                                     {fileEntry("readme.txt"), "new text"}});
    const std::string dest = dir.path() + "out\\";
    CreateDirectoryA(dest.c_str(), nullptr);
    CreateDirectoryA((dest + "sub").c_str(), nullptr);
    writeFile(dest + "sub\\lib.dll", "old dll");
    writeFile(dest + "sub\\prog.DLL", "old upper");
    writeFile(dest + "readme.txt", "old text");
    uint64_t c0 = 0, w0 = 0;
    fileTimes(dest + "sub\\lib.dll", c0, w0);

    PackReader reader;
    reader.fs = &windowsFileSystem();
    ASSERT_TRUE(openPack(reader, dir.path() + "p.pck", nullptr));
    EXPECT_FALSE(extractPack(reader, dest, "dll|"));
    closePack(reader);

    EXPECT_EQ(readFile(dest + "sub\\lib.dll"), "old dll");
    uint64_t c1 = 0, w1 = 0;
    fileTimes(dest + "sub\\lib.dll", c1, w1);
    EXPECT_EQ(w1, w0);
    EXPECT_EQ(readFile(dest + "sub\\other.dll"), "fresh");
    EXPECT_EQ(readFile(dest + "sub\\prog.DLL"), "new upper");
    EXPECT_EQ(readFile(dest + "readme.txt"), "new text");
}

TEST(SettingsOnDiskTest, WritesBackAndHoldsTheFile) {
    ScratchFolder dir;
    const std::string path = dir.path() + "uninstall.dat";
    writeFile(path, "[Files]\nFile1=a.txt\n\n[Settings]\nProgDir = C:\\old\\\n");
    SettingsFile file;
    openSettings(file, windowsFileSystem(), path);
    // Held: other programs may read, not write.
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    ASSERT_TRUE(selectGroup(file, "settings"));
    EXPECT_EQ(readString(file, "progdir", ""), "C:\\old\\");
    writeString(file, "ProgDir", "C:\\Apps\\Tool\\");
    writeNumber(file, "LoginAdmin", 0);
    selectGroup(file, "Language");
    writeString(file, "Titel", "uninstall Program");
    closeSettings(file);
    EXPECT_EQ(readFile(path),
              "[Files]\r\nFile1 = a.txt\r\n[Settings]\r\nProgDir = C:\\Apps\\Tool\\\r\nLoginAdmin = 0\r\n"
              "[Language]\r\nTitel = uninstall Program\r\n");

    // A file that did not exist is created on write-back.
    const std::string fresh = dir.path() + "new.ini";
    openSettings(file, windowsFileSystem(), fresh);
    selectGroup(file, "Group");
    writeString(file, "Key", "Value");
    closeSettings(file);
    EXPECT_EQ(readFile(fresh), "[Group]\r\nKey = Value\r\n");
}

}  // namespace
