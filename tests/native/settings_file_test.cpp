// The settings syntax as read and written back, and the settings-file
// component over an in-memory file system.
#include <gtest/gtest.h>

#include "memory_file_system.h"
#include "payload/settings_file.h"

namespace {

using Kind = SettingsLineKind;

const std::string path = "C:\\App\\setup.ini";

std::string describe(const std::vector<SettingsLine>& lines) {
    std::string out;
    for (const auto& l : lines) {
        switch (l.kind) {
        case Kind::Group: out += "G<" + l.name + ">"; break;
        case Kind::Comment: out += "C<" + l.name + ">"; break;
        case Kind::Key: out += "K<" + l.name + ">V<" + l.value + ">"; break;
        }
        out += "\n";
    }
    return out;
}

// A fixture with one file system and one settings record, closed at the end.
class SettingsFileTest : public ::testing::Test {
protected:
    MemoryFileSystem fs;
    SettingsFile settings;

    void open(const std::string& content) {
        fs.addFile(path, content);
        openSettings(settings, fs, path);
    }
    // Opens, lets `change` act, closes, and returns what is in the file then.
    template <class F>
    std::string rewrite(const std::string& content, F change) {
        open(content);
        change();
        closeSettings(settings);
        return fs.content(path);
    }
};

// ---- The syntax as read --------------------------------------------------

struct ParseCase {
    const char* name;
    std::string input;
    std::string lines;  // as describe() shows them
};

TEST(SettingsSyntax, LinesAsRead) {
    const ParseCase cases[] = {
        {"empty file", "", ""},
        {"only line ends", "\r\n\n\r\r\r\n", ""},
        {"blank-only lines", "  \t \r\n\t\n", ""},
        {"plain key", "Key=Value", "K<Key>V<Value>\n"},
        {"blanks around", " \t Key \t =\t  Value \t ", "K<Key>V<Value \t >\n"},
        {"no equals", "JustAKey", "K<JustAKey>V<>\n"},
        {"no equals, trailing blanks", "JustAKey \t", "K<JustAKey>V<>\n"},
        {"starts with equals", "=Value", "K<>V<Value>\n"},
        {"further equals in value", "A = b=c = d", "K<A>V<b=c = d>\n"},
        {"semicolon in value", "A = x ; y", "K<A>V<x ; y>\n"},
        {"blank inside key", "My Key = v", "K<My Key>V<v>\n"},
        {"comment with space", "; hello = x", "C<hello = x>\n"},
        {"comment without space", ";hello", "C<hello>\n"},
        {"comment keeps second space", ";  two", "C< two>\n"},
        {"indented comment", " \t; note", "C<note>\n"},
        {"empty comment", ";", "C<>\n"},
        {"group", "[Settings]", "G<Settings>\n"},
        {"group, rest dropped", "[Settings] ; x = y", "G<Settings>\n"},
        {"group not trimmed", "[ Settings ]", "G< Settings >\n"},
        {"group without bracket", "[Settings", "G<Settings>\n"},
        {"empty group", "[]", "G<>\n"},
        {"group up to first bracket", "[a]b]", "G<a>\n"},
        {"indented group", "  [G]", "G<G>\n"},
        {"CR LF ends", "[G]\r\nA=1\r\nB\r\n", "G<G>\nK<A>V<1>\nK<B>V<>\n"},
        {"LF ends", "[G]\nA=1\nB\n", "G<G>\nK<A>V<1>\nK<B>V<>\n"},
        {"CR ends", "[G]\rA=1\rB\r", "G<G>\nK<A>V<1>\nK<B>V<>\n"},
        {"runs of line ends", "[G]\n\r\n\r\rA=1\n\n\nB", "G<G>\nK<A>V<1>\nK<B>V<>\n"},
        {"mark not part of first line", "\xEF\xBB\xBF[G]", "G<G>\n"},
        {"mark only at the start", "A=1\n\xEF\xBB\xBF" "B=2", "K<A>V<1>\nK<\xEF\xBB\xBF" "B>V<2>\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(describe(parseSettings(c.input).lines), c.lines);
    }
}

TEST(SettingsSyntax, ByteOrderMarkSetsUtf8Mode) {
    EXPECT_TRUE(parseSettings("\xEF\xBB\xBF").utf8);
    EXPECT_TRUE(parseSettings("\xEF\xBB\xBF[G]\r\n").utf8);
    EXPECT_FALSE(parseSettings("[G]\r\n").utf8);
    EXPECT_FALSE(parseSettings("\xEF\xBB").utf8);
    EXPECT_FALSE(parseSettings(" \xEF\xBB\xBF").utf8);
}

TEST(SettingsSyntax, WrittenForm) {
    SettingsText text;
    text.lines = {{Kind::Comment, "note", ""}, {Kind::Group, "G", ""}, {Kind::Key, "A", "1  "},
                  {Kind::Key, "", "v"}, {Kind::Key, "B", ""}};
    EXPECT_EQ(formatSettings(text), "; note\r\n[G]\r\nA = 1  \r\n = v\r\nB = \r\n");
    text.utf8 = true;
    EXPECT_EQ(formatSettings(text), "\xEF\xBB\xBF; note\r\n[G]\r\nA = 1  \r\n = v\r\nB = \r\n");
    EXPECT_EQ(formatSettings(SettingsText{}), "");
    EXPECT_EQ(formatSettings(SettingsText{true, {}}), "\xEF\xBB\xBF");
}

TEST(SettingsSyntax, WrittenFormReadsBackAlike) {
    const std::string input = "\xEF\xBB\xBF ;c\n[ G ]x\r\r\n\tA\t=\tb = c \t\rNoValue\n=e\n";
    SettingsText first = parseSettings(input);
    SettingsText second = parseSettings(formatSettings(first));
    EXPECT_EQ(second.utf8, first.utf8);
    EXPECT_EQ(describe(second.lines), describe(first.lines));
}

struct ConversionCase {
    const char* name;
    std::string utf8;
    std::optional<std::string> latin1;
};

TEST(SettingsSyntax, Utf8ToEightBit) {
    const ConversionCase cases[] = {
        {"ascii", "abc", "abc"},
        {"empty", "", ""},
        {"U+00E9", "\xC3\xA9", "\xE9"},
        {"U+0080 and U+00FF", "\xC2\x80\xC3\xBF", "\x80\xFF"},
        {"U+0100 is above 255", "\xC4\x80", std::nullopt},
        {"euro sign", "\xE2\x82\xAC", std::nullopt},
        {"four-byte form", "\xF0\x9F\x98\x80", std::nullopt},
        {"overlong NUL", "\xC0\x80", std::nullopt},
        {"overlong A", "\xC1\x81", std::nullopt},
        {"lone continuation", "a\x80", std::nullopt},
        {"cut short", "a\xC3", std::nullopt},
        {"lead then ascii", "\xC3" "a", std::nullopt},
        {"latin1 byte as is", "caf\xE9", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8ToLatin1(c.utf8), c.latin1);
    }
}

TEST(SettingsSyntax, EightBitToUtf8RoundTrip) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += char(c);
    std::string utf8 = latin1ToUtf8(all);
    EXPECT_EQ(utf8.size(), 127u + 2 * 128u);
    EXPECT_EQ(latin1ToUtf8("\xE9"), "\xC3\xA9");
    EXPECT_EQ(utf8ToLatin1(utf8), all);
}

// ---- Reading through the component ---------------------------------------

TEST_F(SettingsFileTest, EquivalentLinesReadAlike) {
    const char* lines[] = {
        "Key=some value",
        "Key = some value",
        "  \t Key \t =  \t some value \t  ",
        "KEY=some value",
        "\tkEy\t=some value",
        "Key= \t some value\t \t",
    };
    const char* ends[] = {"\r\n", "\n", "\r", "\r\n\r\n\n"};
    for (const char* line : lines) {
        for (const char* end : ends) {
            SCOPED_TRACE(std::string(line) + " ended by " + (end[0] == '\n' ? "LF" : end[1] ? "CR LF" : "CR"));
            open(std::string("[Other]") + end + "Key=wrong" + end + "[Group]" + end + line + end + "Next=1" + end);
            ASSERT_TRUE(selectGroup(settings, "Group"));
            EXPECT_EQ(readString(settings, "key", "default"), "some value");
            EXPECT_EQ(readString(settings, "Key", "default"), "some value");
            EXPECT_EQ(readNumber(settings, "Next", -1), 1);
            closeSettings(settings);
        }
    }
}

struct LookupCase {
    const char* name;
    std::string content;
    std::string group;  // empty: no selectGroup, the ungrouped part
    bool groupFound;
    std::string key;
    std::string expected;  // "<default>" when the key must not be found
};

TEST_F(SettingsFileTest, OddLinesAndNames) {
    const LookupCase cases[] = {
        {"line without equals", "[G]\r\nFlag\r\n", "G", true, "Flag", ""},
        {"line without equals, CR", "[G]\rFlag\r", "G", true, "flag", ""},
        {"line starting with equals", "[G]\n= v\n", "G", true, "", "v"},
        {"equals inside value", "[G]\nA=b=c\n", "G", true, "A", "b=c"},
        {"semicolon inside value", "[G]\nA=x;y\n", "G", true, "A", "x;y"},
        {"comment holding ' = '", "[G]\n; A = 1\n", "G", true, "A", "<default>"},
        {"comment holding ' = ', indented", "[G]\n  ;A = 1\n", "G", true, "A", "<default>"},
        {"key named with semicolon", "[G]\nA;B = 1\n", "G", true, "A;B", "1"},
        {"group in other case", "[settINGS]\nA=1\n", "SETTINGS", true, "a", "1"},
        {"non-ASCII letters not folded", "[\xC4]\nA=1\n", "\xE4", false, "A", "<default>"},
        {"non-ASCII letters not folded in keys", "[G]\n\xC4=1\n", "G", true, "\xE4", "<default>"},
        {"space after bracket is part of name", "[ G]\nA=1\n", "G", false, "A", "<default>"},
        {"space after bracket, matched with it", "[ G]\nA=1\n", " G", true, "A", "1"},
        {"space before bracket is part of name", "[G ]\nA=1\n", "G", false, "A", "<default>"},
        {"text after bracket ignored", "[G] junk\nA=1\n", "G", true, "A", "1"},
        {"no closing bracket", "[G\nA=1\n", "G", true, "A", "1"},
        {"key not in the group", "[G]\nA=1\n[H]\nB=2\n", "G", true, "B", "<default>"},
        {"key only in later group", "[G]\n[H]\nA=2\n", "G", true, "A", "<default>"},
        {"ungrouped part", "A=0\n[G]\nA=1\n", "", false, "A", "0"},
        {"ungrouped part ends at first group", "[G]\nA=1\n", "", false, "A", "<default>"},
        {"blank-only value", "[G]\nA= \t \n", "G", true, "A", ""},
        {"inner blanks kept", "[G]\nA=  x \t y  \n", "G", true, "A", "x \t y"},
        {"first of two groups", "[G]\nA=1\n[g]\nA=2\nB=3\n", "G", true, "B", "<default>"},
        {"first of two keys", "[G]\nA=1\na=2\n", "G", true, "A", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.content);
        if (!c.group.empty()) {
            EXPECT_EQ(selectGroup(settings, c.group), c.groupFound);
        }
        EXPECT_EQ(readString(settings, c.key, "<default>"), c.expected);
        closeSettings(settings);
        EXPECT_EQ(fs.content(path), c.content) << "a file only read is never written";
    }
}

TEST_F(SettingsFileTest, DefaultTextIsReturnedUnchanged) {
    open("[G]\nA=1\n");
    selectGroup(settings, "G");
    EXPECT_EQ(readString(settings, "Missing", "  padded\t"), "  padded\t");
    EXPECT_EQ(readNumber(settings, "Missing", -7), -7);
}

struct NumberCase {
    const char* value;
    int32_t expected;
};

TEST_F(SettingsFileTest, ReadNumber) {
    const NumberCase cases[] = {
        {"42", 42},
        {"  42  ", 42},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {" -15", -15},
        {"-15", -15},
        {"+15", 15},
        {"--15", 0},
        {"+-15", 0},
        {"- 15", 0},
        {"-", 0},
        {"007", 7},
        {"3.9", 3},
        {"1 2", 1},
        {"\v\f9", 9},
        {"256", 256},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", 2147483647},
        {"-2147483649", INT32_MIN},
        {"99999999999999999999999", 2147483647},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("value '") + c.value + "'");
        open(std::string("[G]\r\nN=") + c.value + "\r\n");
        selectGroup(settings, "G");
        EXPECT_EQ(readNumber(settings, "N", 12345), c.expected);
        EXPECT_EQ(readNumber(settings, "Absent", 12345), 12345);
        closeSettings(settings);
    }
}

TEST_F(SettingsFileTest, PendingGroupGivesDefaults) {
    open("A=0\n[G]\nA=1\n");
    ASSERT_TRUE(selectGroup(settings, "G"));
    EXPECT_EQ(readString(settings, "A", "d"), "1");
    EXPECT_FALSE(selectGroup(settings, "Missing"));
    EXPECT_EQ(readString(settings, "A", "d"), "d") << "neither the earlier group nor the ungrouped part answers";
    EXPECT_EQ(readNumber(settings, "A", 9), 9);
    ASSERT_TRUE(selectGroup(settings, "g"));
    EXPECT_EQ(readString(settings, "A", "d"), "1");
}

// ---- Writing ---------------------------------------------------------------

TEST_F(SettingsFileTest, ReplaceInPlaceTakesGivenSpelling) {
    std::string out = rewrite("[G]\nfirst=1\nkey=old\nlast=3\n[H]\nkey=other\n", [&] {
        selectGroup(settings, "g");
        writeString(settings, "KEY", "new");
    });
    EXPECT_EQ(out, "[G]\r\nfirst = 1\r\nKEY = new\r\nlast = 3\r\n[H]\r\nkey = other\r\n");
}

TEST_F(SettingsFileTest, NewKeyGoesAfterSectionsLastLine) {
    std::string out = rewrite("[G]\nA=1\n; trailing comment\n[H]\nB=2\n", [&] {
        selectGroup(settings, "G");
        writeString(settings, "New", "x");
        writeString(settings, "Newer", "y");
        selectGroup(settings, "H");
        writeString(settings, "Last", "z");
    });
    EXPECT_EQ(out, "[G]\r\nA = 1\r\n; trailing comment\r\nNew = x\r\nNewer = y\r\n[H]\r\nB = 2\r\nLast = z\r\n");
}

TEST_F(SettingsFileTest, WrittenValueReadsBackInSameSession) {
    open("[G]\nA=1\n");
    selectGroup(settings, "G");
    writeString(settings, "A", "two");
    writeString(settings, "B", "  padded  ");
    writeNumber(settings, "C", -40);
    EXPECT_EQ(readString(settings, "a", ""), "two");
    EXPECT_EQ(readString(settings, "B", ""), "padded");
    EXPECT_EQ(readNumber(settings, "C", 0), -40);
}

TEST_F(SettingsFileTest, WriteToPendingGroupAppendsItAtEnd) {
    std::string out = rewrite("A=0\n[G]\nA=1\n[H]\nB=2\n", [&] {
        selectGroup(settings, "G");
        EXPECT_FALSE(selectGroup(settings, "New"));
        writeString(settings, "A", "x");
        writeNumber(settings, "N", 5);
        EXPECT_EQ(readString(settings, "A", ""), "x");
        EXPECT_TRUE(selectGroup(settings, "NEW")) << "the appended group is found again";
    });
    EXPECT_EQ(out, "A = 0\r\n[G]\r\nA = 1\r\n[H]\r\nB = 2\r\n[New]\r\nA = x\r\nN = 5\r\n");
}

TEST_F(SettingsFileTest, SelectingPendingGroupTwiceAppendsItOnce) {
    std::string out = rewrite("[G]\n", [&] {
        selectGroup(settings, "New");
        selectGroup(settings, "New");
        writeString(settings, "A", "1");
        selectGroup(settings, "New");
        writeString(settings, "B", "2");
    });
    EXPECT_EQ(out, "[G]\r\n[New]\r\nA = 1\r\nB = 2\r\n");
}

TEST_F(SettingsFileTest, UngroupedWrites) {
    struct Case {
        const char* name;
        std::string content;
        std::string expected;
    };
    const Case cases[] = {
        {"file begins with a group", "[G]\nA=1\n", "U = v\r\n[G]\r\nA = 1\r\n"},
        {"after the last ungrouped line", "X=1\n;c\n[G]\nU=1\n", "X = 1\r\n; c\r\nU = v\r\n[G]\r\nU = 1\r\n"},
        {"replaced in the ungrouped part", "u=0\n[G]\nU=1\n", "U = v\r\n[G]\r\nU = 1\r\n"},
        {"no group at all", "X=1\n", "X = 1\r\nU = v\r\n"},
        {"empty file", "", "U = v\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rewrite(c.content, [&] { writeString(settings, "U", "v"); }), c.expected);
    }
}

TEST_F(SettingsFileTest, DuplicateGroupsAndKeys) {
    std::string out = rewrite("[G]\nA=1\nA=2\n[g]\nA=3\nB=4\n", [&] {
        ASSERT_TRUE(selectGroup(settings, "G"));
        EXPECT_EQ(readString(settings, "A", ""), "1");
        EXPECT_EQ(readString(settings, "B", "none"), "none") << "the second group is never reached";
        writeString(settings, "a", "one");
        writeString(settings, "B", "four");
    });
    EXPECT_EQ(out, "[G]\r\na = one\r\nA = 2\r\nB = four\r\n[g]\r\nA = 3\r\nB = 4\r\n");
}

TEST_F(SettingsFileTest, WriteBackNormalisesTheWholeFile) {
    const std::string input =
        "\r\n\r\n;no space\r\n  [Group]  trailing text\n\n"
        "\t Untouched \t=\t kept blanks  \r"
        "; A = not a key\r\n"
        "Changed=old\n\n\n";
    std::string out = rewrite(input, [&] {
        selectGroup(settings, "Group");
        writeString(settings, "Changed", "new");
    });
    EXPECT_EQ(out,
              "; no space\r\n[Group]\r\nUntouched = kept blanks  \r\n; A = not a key\r\nChanged = new\r\n");
}

TEST_F(SettingsFileTest, WriteNumberForm) {
    const std::pair<int32_t, const char*> cases[] = {
        {0, "0"}, {7, "7"}, {-7, "-7"}, {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"}};
    for (const auto& [number, text] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(rewrite("[G]\n", [&] { selectGroup(settings, "G"); writeNumber(settings, "N", number); }),
                  std::string("[G]\r\nN = ") + text + "\r\n");
    }
}

TEST_F(SettingsFileTest, LineEndsInWrittenTextsStayOnOneLine) {
    std::string out = rewrite("[G]\n", [&] {
        selectGroup(settings, "G");
        writeString(settings, "A", "one\r\n[Evil]\nB=2");
        EXPECT_EQ(readString(settings, "A", ""), "one  [Evil] B=2");
    });
    EXPECT_EQ(out, "[G]\r\nA = one  [Evil] B=2\r\n");
    openSettings(settings, fs, path);
    EXPECT_FALSE(selectGroup(settings, "Evil"));
}

TEST_F(SettingsFileTest, ShorterTextCutsTheFile) {
    std::string out = rewrite("[G]\n; a long comment that the rewrite keeps\nA = a very long value indeed\n", [&] {
        selectGroup(settings, "G");
        writeString(settings, "A", "");
    });
    EXPECT_EQ(out, "[G]\r\n; a long comment that the rewrite keeps\r\nA = \r\n");
}

// ---- UTF-8 mode --------------------------------------------------------------

TEST_F(SettingsFileTest, Utf8ModeConvertsNamesAndValues) {
    // Group "Größe", key "Schlüssel", values in UTF-8.
    open("\xEF\xBB\xBF[Gr\xC3\xB6\xC3\x9F" "e]\r\n"
         "Schl\xC3\xBC" "ssel = caf\xC3\xA9\r\n"
         "Euro = 5 \xE2\x82\xAC\r\n"
         "Broken = caf\xE9\r\n"
         "Count = 12\r\n");
    EXPECT_TRUE(selectGroup(settings, "GR\xF6\xDF" "E")) << "ASCII letters fold";
    EXPECT_FALSE(selectGroup(settings, "Gr\xD6\xDF" "e")) << "non-ASCII letters are not folded";
    ASSERT_TRUE(selectGroup(settings, "Gr\xF6\xDF" "e"));
    EXPECT_EQ(readString(settings, "schl\xFCssel", "d"), "caf\xE9");
    EXPECT_EQ(readString(settings, "Euro", "d"), "") << "code point above 255";
    EXPECT_EQ(readString(settings, "Broken", "d"), "") << "invalid UTF-8";
    EXPECT_EQ(readNumber(settings, "Count", -1), 12);
    EXPECT_EQ(readNumber(settings, "Euro", -1), 0) << "an unreadable value reads as 0, not as the default";
    writeString(settings, "Neu\xE9", "\xE0 la carte");
    writeString(settings, "Euro", "\x80");
    closeSettings(settings);
    EXPECT_EQ(fs.content(path),
              "\xEF\xBB\xBF[Gr\xC3\xB6\xC3\x9F" "e]\r\n"
              "Schl\xC3\xBC" "ssel = caf\xC3\xA9\r\n"
              "Euro = \xC2\x80\r\n"
              "Broken = caf\xE9\r\n"
              "Count = 12\r\n"
              "Neu\xC3\xA9 = \xC3\xA0 la carte\r\n");
}

TEST_F(SettingsFileTest, Utf8ModePendingGroupWrittenInUtf8) {
    std::string out = rewrite("\xEF\xBB\xBF", [&] {
        EXPECT_FALSE(selectGroup(settings, "\xC4nderung"));
        writeString(settings, "K", "v");
    });
    EXPECT_EQ(out, "\xEF\xBB\xBF[\xC3\x84nderung]\r\nK = v\r\n");
}

TEST_F(SettingsFileTest, EightBitFileIsTakenUnchanged) {
    std::string out = rewrite("[Gr\xF6\xDF" "e]\nA=caf\xE9\n", [&] {
        ASSERT_TRUE(selectGroup(settings, "Gr\xF6\xDF" "e"));
        EXPECT_EQ(readString(settings, "A", ""), "caf\xE9");
        writeString(settings, "B", "\xE0");
    });
    EXPECT_EQ(out, "[Gr\xF6\xDF" "e]\r\nA = caf\xE9\r\nB = \xE0\r\n") << "no mark and no conversion";
}

// ---- The file on disk ----------------------------------------------------------

TEST_F(SettingsFileTest, MissingFileIsCreatedOnWriteBack) {
    fs.addFolder("C:\\App");
    EXPECT_FALSE(openSettings(settings, fs, path));
    EXPECT_EQ(fs.heldOpen, 0);
    EXPECT_FALSE(selectGroup(settings, "Settings"));
    EXPECT_EQ(readString(settings, "A", "d"), "d");
    writeString(settings, "Key", "Value");
    EXPECT_FALSE(fs.has(path)) << "nothing reaches the disk before closing";
    closeSettings(settings);
    EXPECT_EQ(fs.content(path), "[Settings]\r\nKey = Value\r\n");
    EXPECT_EQ(fs.heldOpen, 0);
}

TEST_F(SettingsFileTest, MissingFileOnlyReadIsNotCreated) {
    fs.addFolder("C:\\App");
    openSettings(settings, fs, path);
    selectGroup(settings, "Settings");
    EXPECT_EQ(readNumber(settings, "A", 3), 3);
    closeSettings(settings);
    EXPECT_FALSE(fs.has(path));
}

TEST_F(SettingsFileTest, MissingFileInUnwritableFolderLosesChangesSilently) {
    fs.addFolder("C:\\App");
    fs.unwritable.insert(MemoryFileSystem::norm(path));
    openSettings(settings, fs, path);
    writeString(settings, "A", "1");
    closeSettings(settings);
    EXPECT_FALSE(fs.has(path));
    EXPECT_EQ(fs.heldOpen, 0);
}

TEST_F(SettingsFileTest, ReadOnlyFileKeepsItsContent) {
    const std::string content = "[G]\nA=1\n";
    fs.addFile(path, content);
    fs.readOnly.insert(MemoryFileSystem::norm(path));
    EXPECT_TRUE(openSettings(settings, fs, path));
    EXPECT_FALSE(settings.writable);
    ASSERT_TRUE(selectGroup(settings, "G"));
    EXPECT_EQ(readString(settings, "A", ""), "1");
    writeString(settings, "A", "2");
    writeString(settings, "B", "3");
    EXPECT_EQ(readString(settings, "A", ""), "2");
    closeSettings(settings);
    EXPECT_EQ(fs.content(path), content);
    EXPECT_EQ(fs.heldOpen, 0);
}

TEST_F(SettingsFileTest, FileOnlyReadIsNotWritten) {
    const std::string content = "; c\n[G]\nA=1\n\n";
    open(content);
    selectGroup(settings, "G");
    readString(settings, "A", "");
    selectGroup(settings, "Missing");
    readNumber(settings, "A", 0);
    closeSettings(settings);
    EXPECT_EQ(fs.content(path), content);
}

TEST_F(SettingsFileTest, HeldOpenUntilClosed) {
    open("[G]\nA=1\n");
    EXPECT_EQ(fs.heldOpen, 1);
    selectGroup(settings, "G");
    writeString(settings, "A", "2");
    EXPECT_EQ(fs.heldOpen, 1);
    closeSettings(settings);
    EXPECT_EQ(fs.heldOpen, 0);
    closeSettings(settings);  // closing twice does nothing
    EXPECT_EQ(fs.heldOpen, 0);
    EXPECT_EQ(fs.content(path), "[G]\r\nA = 2\r\n");
}

TEST_F(SettingsFileTest, OpeningAnotherFileClosesTheFirst) {
    const std::string second = "C:\\App\\Deutsch.lng";
    fs.addFile(second, "[Buttons]\nNext=Weiter\n");
    open("[G]\nA=1\n");
    selectGroup(settings, "G");
    writeString(settings, "A", "2");
    ASSERT_TRUE(openSettings(settings, fs, second));
    EXPECT_EQ(fs.content(path), "[G]\r\nA = 2\r\n") << "the first file was written back";
    EXPECT_EQ(fs.heldOpen, 1);
    EXPECT_FALSE(settings.changed);
    EXPECT_FALSE(settings.currentGroup.has_value()) << "no group selected after opening";
    EXPECT_EQ(readString(settings, "Next", "d"), "d");
    ASSERT_TRUE(selectGroup(settings, "Buttons"));
    EXPECT_EQ(readString(settings, "Next", ""), "Weiter");
    closeSettings(settings);
    EXPECT_EQ(fs.content(second), "[Buttons]\nNext=Weiter\n");
    EXPECT_EQ(fs.heldOpen, 0);
}

// A file system where an existing file cannot be opened while another
// program has it.
class LockedFileSystem : public MemoryFileSystem {
public:
    bool locked = true;
    std::unique_ptr<OpenedFile> openHeld(const std::string& p, bool& writable) override {
        if (locked) return nullptr;
        return MemoryFileSystem::openHeld(p, writable);
    }
};

TEST(SettingsFileLocked, ExistingFileThatCannotBeOpenedIsNotOverwritten) {
    LockedFileSystem fs;
    fs.addFile(path, "[G]\nA=1\nB=2\n");
    SettingsFile settings;
    EXPECT_FALSE(openSettings(settings, fs, path));
    selectGroup(settings, "G");
    writeString(settings, "A", "new");
    fs.locked = false;  // the other program lets go before the write-back
    closeSettings(settings);
    EXPECT_EQ(fs.content(path), "[G]\nA=1\nB=2\n");
    EXPECT_EQ(fs.heldOpen, 0);
}

// A file system whose files open for writing but fail every read.
class UnreadableFileSystem : public MemoryFileSystem {
public:
    class BadHandle : public Handle {
    public:
        using Handle::Handle;
        bool read(void*, uint32_t) override { return false; }
    };
    std::unique_ptr<OpenedFile> openHeld(const std::string& p, bool& writable) override {
        if (!has(p)) return nullptr;
        writable = true;
        return std::make_unique<BadHandle>(*this, norm(p), true, true);
    }
};

TEST(SettingsFileUnreadable, FileThatCannotBeReadIsNotOverwritten) {
    UnreadableFileSystem fs;
    fs.addFile(path, "[G]\nA=1\n");
    SettingsFile settings;
    EXPECT_FALSE(openSettings(settings, fs, path));
    writeString(settings, "A", "new");
    closeSettings(settings);
    EXPECT_EQ(fs.content(path), "[G]\nA=1\n");
    EXPECT_EQ(fs.heldOpen, 0);
}

}  // namespace
