#include "setup/command_line.h"

#include <cctype>

std::vector<std::string> splitParameters(const std::string& parameters) {
    std::vector<std::string> words;
    size_t i = 0;
    const size_t n = parameters.size();
    for (;;) {
        while (i < n && parameters[i] == ' ') ++i;
        std::string word;
        if (i < n && parameters[i] == '"') {
            size_t close = parameters.find('"', i + 1);
            if (close == std::string::npos) close = n;
            word = parameters.substr(i + 1, close - i - 1);
            i = close < n ? close + 1 : n;
        } else {
            size_t end = parameters.find(' ', i);
            if (end == std::string::npos) end = n;
            word = parameters.substr(i, end - i);
            i = end;
        }
        // An empty word (the end, or an explicit "") ends the scan.
        if (word.empty()) return words;
        words.push_back(word);
    }
}

std::string parametersOf(const std::string& commandLine) {
    size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        size_t close = commandLine.find('"', 1);
        i = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
    }
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
    return commandLine.substr(i);
}

long long leadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    unsigned long long value = 0;
    // Wraps like the fixed-width integers that later keep only their low bits.
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10 + unsigned(text[i] - '0');
    return negative ? -static_cast<long long>(value) : static_cast<long long>(value);
}

void parseCommandLine(const std::string& parameters, SetupState& state) {
    for (const std::string& word : splitParameters(parameters)) {
        if (word.size() < 2 || word[0] != '/') continue;
        // The third character is a separator (':' or '=') and is skipped whatever it is.
        const std::string value = word.size() > 3 ? word.substr(3) : std::string();
        switch (std::toupper(static_cast<unsigned char>(word[1]))) {
        case 'Q': state.QuietMode = true; break;
        case 'P': state.ParamInstallDir = value; break;
        case 'S': state.ParamStartMenu = value; break;
        case 'R': state.RunMode = static_cast<int8_t>(static_cast<uint8_t>(leadingNumber(value) & 0xFF)); break;
        default: break;
        }
    }
}
