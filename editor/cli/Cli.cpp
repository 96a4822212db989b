#include "cli/Cli.h"

#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <optional>

#include "app/Demo.h"
#include "app/LanguageCheck.h"
#include "app/LanguageManager.h"
#include "cli/GprsCommands.h"
#include "cli/Help.h"
#include "cli/ModemCommands.h"
#include "cli/Preview.h"
#include "cli/SignOperations.h"
#include "cli/StreamPrompter.h"
#include "content/Document.h"
#include "content/DocumentJson.h"
#include "content/Json.h"
#include "content/TextBody.h"
#include "editing/NewDocument.h"
#include "operations/Settings.h"
#include "platform/Files.h"
#include "platform/Profile.h"
#include "render/DocumentPicture.h"
#include "render/Png.h"
#include "render/TextDots.h"
#include "transport/PortList.h"

namespace lumavox {

namespace {

// Printed after a usage error that names no command.
constexpr const char* kSeeHelp = "run 'lumavox-cli help' for the commands\n";

struct Options {
    std::optional<std::string> home;
    std::optional<SignMode> family;
    SignMode mode = SignMode::KV2;  // the family in force: --family, else the settings
    std::vector<std::string> positional;
    std::optional<std::string> file;  // render: --file
    std::optional<std::string> png;   // render: --png
    int dot = 4;                      // render: --dot
    std::optional<std::string> size;  // new: --size WxH
    bool singleColour = false;        // new: --single-colour
};

// The usage of the command the options name, as a usage error.
int usage(const Options& o, std::ostream& err) {
    return usageError(o.positional.empty() ? std::string_view() : o.positional[0], err);
}

// Parses the options shared by every command; returns false on a usage error.
bool parseOptions(const std::vector<std::string>& args, Options& o, std::ostream& err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--single-colour") {
            o.singleColour = true;
        } else if (a == "--home" || a == "--family" || a == "--file" || a == "--png" ||
                   a == "--dot" || a == "--size") {
            if (i + 1 >= args.size()) {
                err << "lumavox-cli: " << a << " needs a value\n";
                return false;
            }
            const std::string& v = args[++i];
            if (a == "--home") {
                o.home = v;
            } else if (a == "--size") {
                o.size = v;
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
    open.fontCheck = programDirFontCheck(resolveDataDir(o.home));
    OpenResult doc = openDocument(o.positional[1], open);
    if (!doc.ok) err << doc.error << "\n";
    return doc;
}

int dump(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 2) {
        return usage(o, err);
    }
    OpenResult doc = open(o, err);
    if (!doc.ok) return 1;
    dumpWorkAreaJson(doc.work, o.mode, doc.version, doc.warnings, out, doc.fileMode);
    return 0;
}

int demo(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 2) {
        return usage(o, err);
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

// "WxH" with both numbers 0 ... 65535 (what a document can hold; below 1 the
// new-document rules refuse it with their own message).
bool parseSize(const std::string& text, DefaultSignSize& size) {
    size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    auto number = [](std::string_view t, int& v) {
        if (t.empty() || t.size() > 5 || t.find_first_not_of("0123456789") != std::string::npos)
            return false;
        v = std::stoi(std::string(t));
        return v <= 0xFFFF;
    };
    return number(std::string_view(text).substr(0, x), size.width) &&
           number(std::string_view(text).substr(x + 1), size.height);
}

int newDocument(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 2) return usage(o, err);
    // The size the window's dialog would offer, unless given.
    DefaultSignSize size =
        SettingsStore(ApplicationEnvironment::fromSystem(o.home)).LoadDefaultSignSize();
    if (o.size && !parseSize(*o.size, size)) {
        err << "lumavox-cli: --size takes WIDTHxHEIGHT in dots, each at most 65535\n";
        return 2;
    }
    size.colourType = o.singleColour ? 1 : 0;
    WorkArea work;
    std::string error = makeNewDocument(size, o.mode, SystemClock::instance(), work);
    if (error.empty() &&
        saveDocument(o.positional[1], work, o.mode, SystemClock::instance(), error)) {
        out << "wrote " << o.positional[1] << " (" << size.width << " x " << size.height << ", "
            << (size.colourType == 1 ? "single colour" : "tri-colour") << ")\n";
        return 0;
    }
    err << "lumavox-cli: " << error << "\n";
    return 1;
}

int build(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 3) return usage(o, err);
    const std::string& source = o.positional[1];
    std::vector<uint8_t> bytes;
    std::string error;
    if (!readWholeFile(source, JsonLimits{}.maxBytes, bytes, error)) {
        err << "lumavox-cli: " << source << ": " << error << "\n";
        return 1;
    }
    WorkAreaFromJson made;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const TextPainterFactory painters = signTextPainters(resolveDataDir(o.home));
    if (!readWorkAreaJson(text, o.mode, made, error, &painters)) {
        err << "lumavox-cli: " << source << ": " << error << "\n";
        return 1;
    }
    // Saved at the time its files' stamps give, so a dumped document comes
    // back byte for byte; a text without stamps is saved now.
    std::optional<FixedClock> savedAt;
    if (made.savedAt) savedAt.emplace(*made.savedAt);
    const Clock& clock = savedAt ? static_cast<const Clock&>(*savedAt) : SystemClock::instance();
    if (!saveDocument(o.positional[2], made.work, made.documentMode, clock, error)) {
        err << "lumavox-cli: " << error << "\n";
        return 1;
    }
    out << "wrote " << o.positional[2] << " (" << made.work.textFiles.size()
        << " text and window files, " << made.work.graphics.size() << " graphics, "
        << made.work.tasks.size() << " schedule tasks)\n";
    for (const ConvertedText& c : made.converted)
        out << "drew \"" << c.text << "\" as graphic " << c.graphic << " (" << c.width << " x "
            << c.height << ")\n";
    return 0;
}

int lang(const Options& o, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 3 || o.positional[1] != "check") {
        return usage(o, err);
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
        return usage(o, err);
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
        return usage(o, err);
    }
    OpenResult doc = open(o, err);
    if (!doc.ok) return 1;
    PictureRequest request;
    const ApplicationEnvironment environment = ApplicationEnvironment::fromSystem(o.home);
    request.programDir = environment.dataDir;
    request.fileName = o.file.value_or("");
    request.mode = o.mode;
    request.dot = o.dot;
    request.defaultFontName = SettingsStore(environment).DefaultFontName();
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

// --help, -h and --version anywhere, and `help [COMMAND]`: answered before
// anything else is looked at. Returns -1 when the arguments ask for none.
int answerHelp(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool wantsHelp = false;
    const CommandHelp* command = nullptr;
    std::optional<std::string> unknown;
    bool helpCommand = false;
    for (const std::string& a : args) {
        if (a == "--version") {
            printVersion(out);
            return 0;
        }
        if (a == "--help" || a == "-h") {
            wantsHelp = true;
        } else if (a.rfind("-", 0) != 0) {
            // The command is the first word the table knows (option values
            // such as "com:1" are passed over); after "help", the next word.
            if (!helpCommand && !command && a == "help") {
                helpCommand = true;
                wantsHelp = true;
            } else if (!command) {
                command = findCommandHelp(a);
                if (!command && helpCommand && !unknown) unknown = a;
            }
        }
    }
    if (!wantsHelp) return -1;
    if (command) {
        printCommandHelp(*command, out);
        return 0;
    }
    if (unknown) {
        err << "lumavox-cli: unknown command '" << *unknown << "'\n" << kSeeHelp;
        return 2;
    }
    printHelp(out);
    return 0;
}

// The serial ports as the "Comport & Addr." dialog offers them: the COM
// numbers whose device is there, then the devices without one, each with its
// stable name and the path to give --link serial: for it.
int ports(const Options& o, const Settings& settings, std::ostream& out, std::ostream& err) {
    if (o.positional.size() != 1) return usage(o, err);
    const std::vector<SerialPortName> names = serialPortNames();
    for (const ComPortEntry& e : listComPorts(comPortsFrom(settings), names))
        out << e.text << "\n";
    for (const SystemPortEntry& port : unmappedSystemPorts(comPortsFrom(settings), names))
        out << port.text << "\tserial:" << port.device << "\n";
    return 0;
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (int status = answerHelp(args, out, err); status >= 0) return status;
    if (!signCommandIn(args).empty()) return runSignCommand(args, out, err);
    if (isModemCommand(args)) return runModemCommand(args, out, err);
    if (isPreviewCommand(args)) return runPreviewCommand(args, out, err);
    if (isGprsCommand(args)) return runGprsCommand(args, out, err);
    Options o;
    if (!parseOptions(args, o, err)) return 2;
    if (o.positional.empty()) {
        printHelp(err);
        return 2;
    }
    // As in the editor: every message goes through the language layer, and the
    // stored settings choose the sign family unless the command line does.
    const ApplicationEnvironment environment = ApplicationEnvironment::fromSystem(o.home);
    LanguageManager language(environment);
    language.startUp();
    Settings settings = SettingsStore(environment).LoadSettings();
    o.mode = o.family.value_or(settings.mode);
    const std::string& command = o.positional[0];
    if (command == "dump") return dump(o, out, err);
    if (command == "demo") return demo(o, out, err);
    if (command == "body") return body(o, out, err);
    if (command == "lang") return lang(o, out, err);
    if (command == "render") return render(o, out, err);
    if (command == "new") return newDocument(o, out, err);
    if (command == "build") return build(o, out, err);
    if (command == "ports") return ports(o, settings, out, err);
    err << "lumavox-cli: unknown command '" << command << "'\n" << kSeeHelp;
    return 2;
}

int runCli(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // Files earlier versions kept beside the program move to their places
    // first, whatever the command.
    std::optional<std::string> home;
    for (size_t i = 0; i + 1 < args.size() && !home; ++i)
        if (args[i] == "--home") home = args[i + 1];
    ApplicationEnvironment::fromSystem(home).adoptEarlierFiles(std::cerr);
    return runCli(args, std::cout, std::cerr);
}

}  // namespace lumavox
