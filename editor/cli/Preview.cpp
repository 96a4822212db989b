#include "cli/Preview.h"

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "app/LanguageManager.h"
#include "cli/StreamPrompter.h"
#include "content/Document.h"
#include "operations/Settings.h"
#include "platform/Files.h"
#include "render/preview/PreviewExport.h"
#include "strings/StringTable.h"

namespace lumavox {

namespace {

constexpr const char* kPreviewUsage =
    "usage: lumavox-cli preview DOC.glm [--file NAME] [--family kv2|nvs] [--seconds S]\n"
    "                   [--dot N] [--home DIR] [--clock TIME] [--seed N] --gif OUT.gif\n"
    "  plays a text file (default: the first) as the preview does, for S seconds of\n"
    "  sign time (default: one pass of the file, at most 600), and writes an animated\n"
    "  GIF, N x N pixels a dot (default 4); dates and times show TIME\n"
    "  (\"YYYY-MM-DD HH:MM[:SS]\", default now) and the random effects start from\n"
    "  seed N (default: from the clock)\n";

bool takesValue(const std::string& a) {
    return a == "--home" || a == "--family" || a == "--file" || a == "--gif" || a == "--dot" ||
           a == "--seconds" || a == "--clock" || a == "--seed";
}

struct PreviewOptions {
    std::optional<std::string> home, family, file, gif;
    int dot = 4;
    double seconds = 0;
    std::optional<CalendarTime> clock;
    std::optional<uint32_t> seed;
    std::vector<std::string> positional;
};

bool parse(const std::vector<std::string>& args, PreviewOptions& o, std::ostream& err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!takesValue(a)) {
            if (a.size() > 1 && a[0] == '-') {
                err << "lumavox-cli: unknown option '" << a << "'\n";
                return false;
            }
            o.positional.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) {
            err << "lumavox-cli: " << a << " needs a value\n";
            return false;
        }
        const std::string& v = args[++i];
        if (a == "--home") o.home = v;
        if (a == "--file") o.file = v;
        if (a == "--gif") o.gif = v;
        if (a == "--family") {
            if (v != "kv2" && v != "KV2" && v != "nvs" && v != "NVS") {
                err << "lumavox-cli: unknown family '" << v << "'\n";
                return false;
            }
            o.family = v;
        }
        if (a == "--dot") {
            char* end = nullptr;
            const long dot = std::strtol(v.c_str(), &end, 10);
            if (*end != '\0' || dot < 1 || dot > 64) {
                err << "lumavox-cli: --dot must be 1 to 64\n";
                return false;
            }
            o.dot = static_cast<int>(dot);
        }
        if (a == "--clock") {
            CalendarTime t;
            if (!parseCalendarTime(v, t)) {
                err << "lumavox-cli: --clock must be a time YYYY-MM-DD HH:MM[:SS]\n";
                return false;
            }
            o.clock = t;
        }
        if (a == "--seed") {
            char* end = nullptr;
            const unsigned long long seed = std::strtoull(v.c_str(), &end, 10);
            if (v.empty() || v[0] == '-' || *end != '\0' || seed > UINT32_MAX) {
                err << "lumavox-cli: --seed must be a number from 0 to " << UINT32_MAX << "\n";
                return false;
            }
            o.seed = static_cast<uint32_t>(seed);
        }
        if (a == "--seconds") {
            char* end = nullptr;
            o.seconds = std::strtod(v.c_str(), &end);
            const double most = static_cast<double>(kMaxPreviewMs) / 1000;
            if (*end != '\0' || !std::isfinite(o.seconds) || o.seconds <= 0 || o.seconds > most) {
                err << "lumavox-cli: --seconds must be more than 0 and at most " << most << "\n";
                return false;
            }
        }
    }
    return true;
}

}  // namespace

bool isPreviewCommand(const std::vector<std::string>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (takesValue(args[i])) {
            ++i;
            continue;
        }
        if (args[i].rfind("--", 0) == 0) continue;
        return args[i] == "preview";
    }
    return false;
}

int runPreviewCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    PreviewOptions o;
    if (!parse(args, o, err)) return 2;
    if (o.positional.size() != 2 || !o.gif) {
        err << kPreviewUsage;
        return 2;
    }
    const ApplicationEnvironment environment = ApplicationEnvironment::fromSystem(o.home);
    LanguageManager language(environment);
    language.startUp();
    SettingsStore store(environment);
    SignMode mode = store.LoadSettings().mode;
    if (o.family) mode = (*o.family == "nvs" || *o.family == "NVS") ? SignMode::NVS : SignMode::KV2;

    OpenOptions open;
    open.mode = mode;
    open.fontCheck = programDirFontCheck(environment.dataDir);
    OpenResult doc = openDocument(o.positional[1], open);
    if (!doc.ok) {
        err << doc.error << "\n";
        return 1;
    }
    PreviewExportRequest request;
    request.programDir = environment.dataDir;
    request.fileName = o.file.value_or("");
    request.mode = mode;
    request.dot = o.dot;
    request.durationMs = static_cast<uint64_t>(std::llround(o.seconds * 1000));
    request.defaultFontName = store.DefaultFontName();
    request.now = o.clock.value_or(SystemClock::instance().localNow());
    request.seed = o.seed.value_or(static_cast<uint32_t>(SystemClock::instance().tickMs()));
    StreamPrompter prompter(err);
    PreviewExportResult result;
    std::string error;
    if (!exportPreviewGif(doc.work, request, *o.gif, result, error, &prompter)) {
        err << "lumavox-cli: " << error << "\n";
        return 1;
    }
    out << "wrote " << *o.gif << " (" << result.signMs / 1000.0 << " s of sign time, "
        << result.gifFrames << " frames)\n";
    return 0;
}

}  // namespace lumavox
