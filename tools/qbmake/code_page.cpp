#include "code_page.h"

#include <cstdint>

namespace {

// The characters of bytes 0x80-0x9F; 0 where 1252 assigns none.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

std::optional<uint8_t> toWindows1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return uint8_t(c);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] != 0 && kHighControls[i] == c) return uint8_t(0x80 + i);
    return std::nullopt;
}

// Decodes one UTF-8 character at `pos`; none for a malformed, overlong or
// surrogate sequence.
std::optional<char32_t> nextUtf8(std::string_view text, size_t& pos) {
    uint8_t lead = uint8_t(text[pos++]);
    if (lead < 0x80) return lead;
    int extra = -1;  // continuation bytes and 0xC0, 0xC1, 0xF5-0xFF cannot lead
    if (lead >= 0xC2 && lead <= 0xDF) extra = 1;
    else if (lead >= 0xE0 && lead <= 0xEF) extra = 2;
    else if (lead >= 0xF0 && lead <= 0xF4) extra = 3;
    if (extra < 0 || text.size() - pos < size_t(extra)) return std::nullopt;
    char32_t c = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        uint8_t b = uint8_t(text[pos++]);
        if ((b & 0xC0) != 0x80) return std::nullopt;
        c = c << 6 | (b & 0x3F);
    }
    static constexpr char32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    return c;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | c >> 6);
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | c >> 12);
        out += char(0x80 | (c >> 6 & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::optional<std::string> utf8ToWindows1252(std::string_view text) {
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        std::optional<char32_t> c = nextUtf8(text, pos);
        if (!c) return std::nullopt;
        std::optional<uint8_t> byte = toWindows1252(*c);
        if (!byte) return std::nullopt;
        out += char(*byte);
    }
    return out;
}

std::string windows1252ToUtf8(std::string_view text) {
    std::string out;
    for (char ch : text) {
        uint8_t b = uint8_t(ch);
        char32_t c = b >= 0x80 && b < 0xA0 && kHighControls[b - 0x80] != 0 ? kHighControls[b - 0x80] : b;
        appendUtf8(out, c);
    }
    return out;
}
