#include "cli/Cli.h"

#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <optional>

#include "app/Demo.h"
#include "app/LanguageCheck.h"
#include "app/LanguageManager.h"
#include "app/Settings.h"
#include "cli/Dump.h"
#include "cli/GprsCommands.h"
#include "cli/Preview.h"
#include "cli/SignOperations.h"
#include "cli/StreamPrompter.h"
#include "content/Document.h"
#include "content/TextBody.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "render/DocumentPicture.h"
#include "render/Png.h"

namespace lumavox {

namespace {

constexpr const char* kUsage =
    "usage: lumavox-cli COMMAND [ARGS] [--home DIR] [--family kv2|nvs]\n"
    "commands:\n"
    "  dump DOC.glm         print the document's whole work area as JSON\n"
    "  demo OUT.glm         write a demonstration document\n"
    "  body DOC.glm [NAME]  print the sign body of a text file (default: the first) in hex\n"
    "  lang check FILE      check a language file against the program's texts\n"
    "  render DOC.glm [--file NAME] [--dot N] --png OUT.png\n"
    "                       draw every screen of a text file (default: the first) as the\n"
    "                       sign shows it, N x N pixels a dot (default 4), into a PNG\n"
    "  preview DOC.glm [--file NAME] [--seconds S] [--dot N] --gif OUT.gif\n"
    "                       play a text file as the preview does and write an animated GIF\n"
    "  gprs list [--server-port N] [--seconds S]\n"
    "                       run the GPRS gateway and print the devices that connect\n"
    "options:\n"
    "  --home DIR           program directory with the settings and font files\n"
    "                       (default: LUMAVOX_HOME, else the executable's folder)\n"
    "  --family kv2|nvs     sign family (default: \"Is For NVS\" of SoftwareSet.ini in the\n"
    "                       program directory, else kv2)\n";

struct Options {
    std::optional<std::string> home;
    std::optional<SignMode> family;
    SignMode mode = SignMode::KV2;  // the family in force: --family, else the settings
    std::vector<std::string> positional;
    std::optional<std::string> file;  // render: --file
    std::optional<std::string> png;   // render: --png
    int dot = 4;                      // render: --dot
};

// Parses the options shared by every command; returns false on a usage error.
bool parseOptions(const std::vector<std::string>& args, Options& o, std::ostream& err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--home" || a == "--family" || a == "--file" || a == "--png" || a == "--dot") {
            if (i + 1 >= args.size()) {
                err << "lumavox-cli: " << a << " needs a value\n";
                return false;
            }
            const std::string& v = args[++i];
            if (a == "--home") {
                o.home = v;
            } else if (a == "--file") {
                o.file = v;
            } else if (a == "--png") {
                o.png = v;
            } else if (a == "--dot") {
                o.dot = std::atoi(v.c_str());
                if (o.dot < 1 || o.dot > 64) {
                    err << "lumavox-cli: --dot must be 1 to 64\n";
                    return false;
                }
            } else if (v == "kv2" || v == "KV2") {
                o.family = SignMode::KV2;
            } else if (v == "nvs" || v == "NVS") {
                o.family = SignMode::NVS;
            } else {
                err << "lumavox-cli: unknown family '" << v << "'\n";
                return false;
            }
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            err << "lumavox-cli: unknown option '" << a << "'\n";
            return false;
        } else {
            o.positional.push_back(a);
        }
    }
    return true;
}

// Opens the document named by the command's first argument; a failed open shows
// its one message on standard error.
OpenResult open(const Options& o, std::ostream& err) {
    OpenOptions open;
    open.mode = o.mode;
    open.fontCheck = programDirFontCheck(resolveProgramDir(o.home));
    OpenResult doc = openDocument(o.positional[1], open);
    if (!doc.ok) err << doc.error << "\n";
    return doc;
}

int dump(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 2) {
        err << kUsage;
        return 2;
    }
    OpenResult doc = open(o, err);
    if (!doc.ok) return 1;
    dumpWorkAreaJson(doc.work, o.mode, doc.version, doc.warnings, out);
    return 0;
}

int demo(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 2) {
        err << kUsage;
        return 2;
    }
    WorkArea work = makeDemoWorkArea(SystemClock::instance());
    std::string error;
    if (!saveDocument(o.positional[1], work, o.mode, SystemClock::instance(), error)) {
        err << error << "\n";
        return 1;
    }
    out << "wrote " << o.positional[1] << "\n";
    return 0;
}

int lang(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 3 || o.positional[1] != "check") {
        err << kUsage;
        return 2;
    }
    const std::string& path = o.positional[2];
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        err << "lumavox-cli: cannot read " << path << "\n";
        return 1;
    }
    std::vector<std::string> problems = checkLanguageFile(Profile::load(path));
    for (const std::string& p : problems)
        out << p << "\n";
    if (problems.empty()) out << path << ": complete and consistent\n";
    return problems.empty() ? 0 : 1;
}

int body(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() < 2 || o.positional.size() > 3) {
        err << kUsage;
        return 2;
    }
    OpenResult doc = open(o, err);
    if (!doc.ok) return 1;
    const TextFile* file = nullptr;
    if (o.positional.size() == 3) {
        file = doc.work.findFile(o.positional[2]);
    } else {
        for (const TextFile& f : doc.work.textFiles)
            if (f.kind == kTextFile && !file) file = &f;
    }
    if (!file) {
        err << "lumavox-cli: no such text file\n";
        return 1;
    }
    std::vector<uint8_t> bytes;
    encodeTextBody(*file, doc.work, SystemClock::instance(), bytes);
    out << std::hex << std::setfill('0');
    for (size_t i = 0; i < bytes.size(); ++i)
        out << std::setw(2) << int{bytes[i]}
            << ((i % 16 == 15 || i + 1 == bytes.size()) ? '\n' : ' ');
    out << std::dec;
    return 0;
}

int render(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 2 || !o.png) {
        err << kUsage;
        return 2;
    }
    OpenResult doc = open(o, err);
    if (!doc.ok) return 1;
    PictureRequest request;
    request.programDir = resolveProgramDir(o.home);
    request.fileName = o.file.value_or("");
    request.mode = o.mode;
    request.dot = o.dot;
    request.defaultFontName = SettingsStore(request.programDir, userStorePath()).DefaultFontName();
    request.now = SystemClock::instance().localNow();
    StreamPrompter prompter(err);
    RgbImage picture;
    std::string error;
    if (!renderDocumentPicture(doc.work, request, picture, error, &prompter) ||
        !writePng(*o.png, picture, error)) {
        err << "lumavox-cli: " << error << "\n";
        return 1;
    }
    out << "wrote " << *o.png << " (" << picture.width() << " x " << picture.height() << ")\n";
    return 0;
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!signCommandIn(args).empty()) return runSignCommand(args, out, err);
    if (isPreviewCommand(args)) return runPreviewCommand(args, out, err);
    if (isGprsCommand(args)) return runGprsCommand(args, out, err);
    Options o;
    if (!parseOptions(args, o, err)) return 2;
    if (o.positional.empty()) {
        err << kUsage;
        return 2;
    }
    // As in the editor: every message goes through the language layer, and the
    // stored settings choose the sign family unless the command line does.
    std::filesystem::path home = resolveProgramDir(o.home);
    LanguageManager language(home);
    language.startUp();
    Settings settings = SettingsStore(home, userStorePath()).LoadSettings();
    o.mode = o.family.value_or(settings.mode);
    const std::string& command = o.positional[0];
    if (command == "dump") return dump(o, out, err);
    if (command == "demo") return demo(o, out, err);
    if (command == "body") return body(o, out, err);
    if (command == "lang") return lang(o, out, err);
    if (command == "render") return render(o, out, err);
    if (command == "help" || command == "--help") {
        out << kUsage;
        return 0;
    }
    err << "lumavox-cli: unknown command '" << command << "'\n" << kUsage;
    return 2;
}

int runCli(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return runCli(args, std::cout, std::cerr);
}

}  // namespace lumavox
