// File names travel in packs as 8-bit text in the installer's code page;
// Linux hands them to us as UTF-8. Only Windows-1252 is supported so far.
#pragma once

#include <optional>
#include <string>
#include <string_view>

constexpr int kDefaultCodePage = 1252;

// UTF-8 to Windows-1252; none for invalid UTF-8 or a character 1252 lacks.
std::optional<std::string> utf8ToWindows1252(std::string_view text);

// Windows-1252 to UTF-8, for showing names; the five unassigned bytes map to
// the C1 control characters of the same number, as Windows does.
std::string windows1252ToUtf8(std::string_view text);
