#include "cli.h"

#include "build.h"
#include "list.h"

namespace fs = std::filesystem;

namespace {

const char* const kUsage =
    "usage: qbmake build PROJECT_DIR -o OUT.exe [--stub INSTALL_EXE] [--level 0-9] [--codepage 1252] [-q]\n"
    "       qbmake list FILE\n"
    "\n"
    "build  makes an installer: the top level of PROJECT_DIR (setup.ini, language files,\n"
    "       texts, pictures, helper programs) becomes the payload, PROJECT_DIR/files the\n"
    "       program pack setup.pck; both are appended to a copy of Install.exe (by default\n"
    "       the one next to qbmake). With [Settings] Split=1 in setup.ini the program pack\n"
    "       is written next to OUT.exe as OUT.pkj instead.\n"
    "       --level  compression: 9 smallest (the default), 1 fastest, 0 stores everything\n"
    "       -q  no progress lines\n"
    "list   shows the entries of an installer or a pack (and of the setup.pck inside an\n"
    "       installer).\n";

int usageError(std::ostream& err, const std::string& why) {
    err << "qbmake: " << why << "\n" << kUsage;
    return 2;
}

int refused(std::ostream& err, const std::string& why) {
    err << "qbmake: error: " << why << "\n";
    return 1;
}

int runBuild(const std::vector<std::string>& args, const fs::path& selfPath, std::ostream& err) {
    BuildOptions options;
    options.progress = &err;
    bool haveProject = false, haveOutput = false, haveStub = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool hasValue = i + 1 < args.size();
        if (a == "-q") {
            options.progress = nullptr;
        } else if (a == "-o" && hasValue) {
            options.output = fs::path(args[++i]);
            haveOutput = true;
        } else if (a == "--stub" && hasValue) {
            options.stub = fs::path(args[++i]);
            haveStub = true;
        } else if (a == "--level" && hasValue) {
            const std::string& value = args[++i];
            if (value.size() != 1 || value[0] < '0' || value[0] > '9') return usageError(err, "--level takes 0 to 9");
            options.level = value[0] - '0';
        } else if (a == "--codepage" && hasValue) {
            const std::string& value = args[++i];
            if (value.empty() || value.size() > 5 || value.find_first_not_of("0123456789") != std::string::npos)
                return usageError(err, "--codepage takes a number");
            options.codePage = std::stoi(value);
        } else if (!a.empty() && a[0] == '-') {
            return usageError(err, "unknown option or missing value: " + a);
        } else if (!haveProject) {
            options.project = fs::path(a);
            haveProject = true;
        } else {
            return usageError(err, "more than one project folder: " + a);
        }
    }
    if (!haveProject) return usageError(err, "build needs a project folder");
    if (!haveOutput) return usageError(err, "build needs -o OUT.exe");
    if (!haveStub) options.stub = selfPath.parent_path() / "Install.exe";

    std::string error;
    return buildInstaller(options, error) ? 0 : refused(err, error);
}

int runList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 2) return usageError(err, "list takes one file");
    std::string error;
    return listPackFile(args[1], out, error) ? 0 : refused(err, error);
}

}  // namespace

int runQbmake(const std::vector<std::string>& args, const fs::path& selfPath, std::ostream& out, std::ostream& err) {
    if (args.empty()) return usageError(err, "no command");
    if (args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
        out << kUsage;
        return 0;
    }
    if (args[0] == "build") return runBuild(args, selfPath, err);
    if (args[0] == "list") return runList(args, out, err);
    return usageError(err, "unknown command: " + args[0]);
}

fs::path selfExecutable(const char* argv0) {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);  // Linux
    if (!ec) return self;
    fs::path given = argv0 ? fs::path(argv0) : fs::path();
    fs::path absolute = fs::absolute(given, ec);
    return ec ? given : absolute;
}
