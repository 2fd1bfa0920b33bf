#include "build.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

#include "pack_writer.h"
#include "payload/pack_format.h"
#include "project.h"

namespace fs = std::filesystem;

namespace {

const char* const kProgramFolder = "files";
const char* const kProgramPackName = "setup.pck";

std::string utf8Of(const fs::path& path) {
    std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

std::string describe(const fs::path& path, const std::string& why) { return utf8Of(path) + ": " + why; }

fs::path withSuffix(const fs::path& path, const std::string& suffix) {
    fs::path out = path;
    out += suffix;
    return out;
}

// Removes the files it holds when it goes out of scope, unless released.
struct TemporaryFiles {
    std::vector<fs::path> paths;  // written under a temporary name, not yet renamed
    ~TemporaryFiles() {
        std::error_code ec;
        for (const fs::path& p : paths) fs::remove(p, ec);
    }
};

bool readWholeFile(const fs::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool readFileBytes(const SourceEntry& source, std::vector<uint8_t>& bytes, std::string& error) {
    std::ifstream in(source.path, std::ios::binary);
    bytes.resize(source.size);
    if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size())) || in.peek() != EOF) {
        error = describe(source.path, in ? "changed while it was read" : "cannot read");
        return false;
    }
    return true;
}

void say(const BuildOptions& options, const std::string& line) {
    if (options.progress) *options.progress << "qbmake: " << line << "\n";
}

bool isInside(const fs::path& path, const fs::path& folder) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(path, ec);
    fs::path f = fs::weakly_canonical(folder, ec);
    auto mismatch = std::mismatch(f.begin(), f.end(), p.begin(), p.end());
    return mismatch.first == f.end();
}

bool checkProject(const BuildOptions& options, std::string& setupIni, std::string& error) {
    std::error_code ec;
    if (!fs::is_directory(options.project, ec)) {
        error = describe(options.project, "no such project folder");
        return false;
    }
    fs::path ini = options.project / "setup.ini";
    if (!fs::is_regular_file(ini, ec)) {
        error = describe(ini, "missing: every project needs its setup.ini");
        return false;
    }
    if (!readWholeFile(ini, setupIni)) {
        error = describe(ini, "cannot read");
        return false;
    }
    if (isInside(options.output, options.project)) {
        error = describe(options.output, "the installer must not be written into the project folder");
        return false;
    }
    return true;
}

bool readStub(const fs::path& stub, std::string& bytes, std::string& error) {
    std::error_code ec;
    if (!fs::is_regular_file(stub, ec)) {
        error = describe(stub, "no such stub (Install.exe); give one with --stub");
        return false;
    }
    if (!readWholeFile(stub, bytes)) {
        error = describe(stub, "cannot read");
        return false;
    }
    std::string problem = peProblem(bytes);
    if (problem.empty() && bytes.size() >= std::numeric_limits<uint32_t>::max()) problem = "too large for a stub";
    if (problem.empty() && bytes.size() >= 4 && bytes.compare(bytes.size() - 4, 4, "Pack") == 0)
        problem = "already carries a pack: give the bare Install.exe, not an installer";
    if (!problem.empty()) {
        error = describe(stub, problem);
        return false;
    }
    return true;
}

bool addSourceEntry(PackWriter& writer, const SourceEntry& source, std::string& error) {
    if (source.folder) return addFolderEntry(writer, source.name, source.times, error);
    std::vector<uint8_t> bytes;
    if (!readFileBytes(source, bytes, error)) return false;
    if (!addFileEntry(writer, source.name, source.times, bytes, error)) {
        error = describe(source.path, error);
        return false;
    }
    return true;
}

// Writes the program pack (dataStart 0) to `path`; messages name `shown`, the
// file the user asked for, rather than its temporary name.
bool writeProgramPack(const std::vector<SourceEntry>& entries, const fs::path& path, const fs::path& shown,
                      int level, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = describe(shown, "cannot create");
        return false;
    }
    PackWriter writer;
    startPack(writer, out, 0, level);
    for (const SourceEntry& source : entries)
        if (!addSourceEntry(writer, source, error)) return false;
    if (!finishPack(writer, error)) {
        error = describe(shown, error);
        return false;
    }
    return true;
}

// The program pack's entry in the payload: its name, and as its time the
// newest time of the files in it (folder times change whenever something is
// added to them), or `fallback` without files; rebuilding gives the same bytes.
SourceEntry programPackEntry(const std::vector<SourceEntry>& program, const fs::path& packPath,
                             const FileTimes& fallback) {
    SourceEntry e{kProgramPackName, false, packPath, 0, fallback};
    bool anyFile = false;
    for (const SourceEntry& s : program) {
        if (s.folder) continue;
        if (!anyFile || s.times.lastWrite > e.times.lastWrite) e.times = s.times;
        anyFile = true;
    }
    std::error_code ec;
    e.size = fs::file_size(packPath, ec);
    return e;
}

// Writes the installer: the stub, then the payload pack.
bool writeInstaller(const std::string& stub, const std::vector<SourceEntry>& payload, const SourceEntry* programPack,
                    const fs::path& path, const fs::path& shown, int level, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(stub.data(), std::streamsize(stub.size()))) {
        error = describe(shown, "cannot create");
        return false;
    }
    PackWriter writer;
    startPack(writer, out, uint32_t(stub.size()), level);
    bool programPackDone = programPack == nullptr;
    for (size_t i = 0; i <= payload.size(); ++i) {
        // setup.pck takes its place in name order among the payload entries.
        if (!programPackDone && (i == payload.size() || programPack->name < payload[i].name)) {
            std::ifstream in(programPack->path, std::ios::binary);
            if (!addStoredCopy(writer, programPack->name, programPack->times, in, programPack->size, error)) {
                error = describe(shown, error);
                return false;
            }
            programPackDone = true;
        }
        if (i < payload.size() && !addSourceEntry(writer, payload[i], error)) return false;
    }
    if (!finishPack(writer, error)) {
        error = describe(shown, error);
        return false;
    }
    return true;
}

bool namesProgramPack(const std::string& name) {
    std::string lower = name;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return lower == kProgramPackName;
}

bool renameInto(const fs::path& from, const fs::path& to, std::string& error) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (ec) error = describe(to, "cannot write: " + ec.message());
    return !ec;
}

}  // namespace

fs::path splitPackPath(const fs::path& output) {
    std::string name = utf8Of(output.filename());
    bool found = false;
    for (size_t at = name.find(".exe"); at != std::string::npos; at = name.find(".exe", at + 4)) {
        name.replace(at, 4, ".pkj");
        found = true;
    }
    if (!found) return {};
    return output.parent_path() / fs::path(std::u8string(name.begin(), name.end()));
}

std::string peProblem(const std::string& bytes) {
    if (bytes.size() < 0x40 || bytes.compare(0, 2, "MZ") != 0) return "not a PE executable (no MZ header)";
    auto byte = [&](size_t i) { return uint32_t(uint8_t(bytes[i])); };
    uint32_t peOffset = byte(0x3C) | byte(0x3D) << 8 | byte(0x3E) << 16 | byte(0x3F) << 24;
    if (peOffset > bytes.size() - 4 || bytes.compare(peOffset, 4, std::string("PE\0\0", 4)) != 0)
        return "not a PE executable (no PE header)";
    return "";
}

bool buildInstaller(const BuildOptions& options, std::string& error) {
    if (options.codePage != kDefaultCodePage) {
        error = "code page " + std::to_string(options.codePage) + " is not supported (only 1252)";
        return false;
    }
    std::string setupIni;
    std::string stub;
    if (!checkProject(options, setupIni, error) || !readStub(options.stub, stub, error)) return false;

    say(options, "reading project " + utf8Of(options.project));
    std::vector<SourceEntry> payload;
    std::vector<SourceEntry> program;
    if (!scanTree(options.project, kProgramFolder, payload, error)) return false;
    fs::path programFolder = options.project / kProgramFolder;
    std::error_code ec;
    if (fs::is_directory(programFolder, ec) && !scanTree(programFolder, "", program, error)) return false;

    bool split = readSplitFlag(setupIni);
    fs::path packPath = split ? splitPackPath(options.output) : withSuffix(options.output, ".pck.tmp");
    if (packPath.empty()) {
        error = describe(options.output, "with [Settings] Split=1 the name must contain \".exe\" (in lower case), "
                                         "which the installer turns into \".pkj\" to find its program pack");
        return false;
    }
    for (const SourceEntry& e : payload) {
        if (!split && namesProgramPack(e.name)) {
            error = describe(e.path, "clashes with the program pack made from files/");
            return false;
        }
    }

    TemporaryFiles temporary;
    fs::path packTemporary = split ? withSuffix(packPath, ".tmp") : packPath;
    fs::path outputTemporary = withSuffix(options.output, ".tmp");
    temporary.paths = {packTemporary, outputTemporary};

    say(options, "writing program pack (" + std::to_string(program.size()) + " entries)");
    if (!writeProgramPack(program, packTemporary, split ? packPath : options.output, options.level, error)) return false;

    say(options, "writing installer (" + std::to_string(payload.size() + (split ? 0 : 1)) + " payload entries)");
    FileTimes iniTimes;
    for (const SourceEntry& e : payload)
        if (e.name == "setup.ini") iniTimes = e.times;
    SourceEntry programPack = programPackEntry(program, packTemporary, iniTimes);
    if (!writeInstaller(stub, payload, split ? nullptr : &programPack, outputTemporary, options.output, options.level, error))
        return false;

    if (split && !renameInto(packTemporary, packPath, error)) return false;
    if (!renameInto(outputTemporary, options.output, error)) return false;
    say(options, "wrote " + utf8Of(options.output) + (split ? " and " + utf8Of(packPath) : std::string()));
    return true;
}
