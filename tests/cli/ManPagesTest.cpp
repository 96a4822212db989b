// The manual pages and the bash completion of lumavox-cli against the code they
// describe: every command of the help table, every option the programs accept
// and every function of the two C interfaces has its place, the completion
// offers what the help table lists, and each page renders without a warning.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Help.h"
#include "support/DynamicSymbols.h"
#include "support/TestSupport.h"

using namespace lumavox;
using namespace lumavox::test;

namespace {

const std::filesystem::path kSource = LUMAVOX_SOURCE_DIR;
const std::filesystem::path kManDir = kSource / "docs" / "man";
const std::filesystem::path kCompletion = kSource / "data" / "completion" / "lumavox-cli";

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "cannot read " << path;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// A line of the page as the reader sees its words: no macro name, no quotes,
// no font changes, escaped hyphens and quotes as themselves.
std::string plain(std::string line) {
    if (!line.empty() && line[0] == '.') {
        size_t space = line.find(' ');
        line = space == std::string::npos ? "" : line.substr(space + 1);
    }
    std::string out;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') continue;
        if (c != '\\' || i + 1 >= line.size()) {
            out += c;
            continue;
        }
        char e = line[++i];
        if (e == 'f' && i + 1 < line.size()) {
            ++i;  // \fB, \fI, \fR, \fP
        } else if (e == '(' && i + 2 < line.size()) {
            std::string name = line.substr(i + 1, 2);
            out += name == "dq" ? "\"" : name == "aq" ? "'" : name == "em" ? "--" : "";
            i += 2;
        } else if (e == '-' || e == 'e') {
            out += e == '-' ? '-' : '\\';
        } else if (e == '~') {
            out += ' ';
        }  // \& and \c stand for nothing
    }
    return out;
}

std::string plainPage(const std::string& name) {
    std::string out;
    for (const std::string& line : lines(readText(kManDir / name)))
        out += plain(line) + "\n";
    return out;
}

// True when `word` stands in `text` as a whole option (not as the start of a
// longer one: "--no" is not found in "--no-wait").
bool hasOption(const std::string& text, const std::string& word) {
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        size_t end = at + word.size();
        if (end == text.size() || !(std::isalnum(static_cast<unsigned char>(text[end])) ||
                                    text[end] == '-' || text[end] == '_'))
            return true;
    }
    return false;
}

// The options named in a text: every "--word".
std::set<std::string> optionsIn(const std::string& text) {
    std::set<std::string> out;
    static const std::regex option("--[a-z][a-z0-9-]*[a-z0-9]");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
         it != std::sregex_iterator(); ++it)
        out.insert(it->str());
    return out;
}

// The options a program's parser compares its arguments with: the string
// literals that begin with "--".
std::set<std::string> parsedOptions(const std::vector<std::filesystem::path>& files) {
    std::set<std::string> out;
    static const std::regex literal("\"(--[a-z][a-z0-9-]*)\"");
    for (const auto& file : files) {
        std::string text = readText(kSource / file);
        for (auto it = std::sregex_iterator(text.begin(), text.end(), literal);
             it != std::sregex_iterator(); ++it)
            out.insert((*it)[1].str());
    }
    return out;
}

std::string helpText() {
    std::ostringstream out;
    printHelp(out);
    for (const CommandHelp& c : commandHelp())
        printCommandHelp(c, out);
    return out.str();
}

std::string firstWord(std::string_view s) {
    return std::string(s.substr(0, s.find(' ')));
}

// A C header's function declarations with one of the prefixes, whitespace
// removed ("int16_tNVSOCX_SetFont(NVSOCX_Handleh,int16_tiFont);"), by name.
std::map<std::string, std::string> declarations(const std::filesystem::path& header,
                                                const std::vector<std::string>& prefixes,
                                                const std::string& exportMacro) {
    std::string text = readText(kSource / header);
    std::string code;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "/*") == 0) {
            size_t end = text.find("*/", i + 2);
            i = end == std::string::npos ? text.size() : end + 1;
        } else if (text.compare(i, 2, "//") == 0) {
            i = text.find('\n', i);
            if (i == std::string::npos) break;
            code += '\n';
        } else {
            code += text[i];
        }
    }
    // Preprocessor lines (with their continuations) are no declarations.
    std::string statements;
    bool directive = false;
    for (const std::string& line : lines(code)) {
        size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos && line[first] == '#') directive = true;
        if (!directive) statements += line + "\n";
        directive = directive && !line.empty() && line.back() == '\\';
    }
    std::map<std::string, std::string> out;
    std::istringstream in(statements);
    for (std::string statement; std::getline(in, statement, ';');) {
        size_t brace = statement.find_last_of("{}");
        if (brace != std::string::npos) statement = statement.substr(brace + 1);
        static const std::regex name("\\b([A-Za-z_]\\w*)\\s*\\(");
        std::smatch m;
        if (!std::regex_search(statement, m, name)) continue;
        const std::string id = m[1].str();
        if (std::none_of(prefixes.begin(), prefixes.end(),
                         [&](const std::string& p) { return id.rfind(p, 0) == 0; }))
            continue;
        std::string squeezed;
        for (char c : statement)
            if (!std::isspace(static_cast<unsigned char>(c))) squeezed += c;
        if (size_t at = squeezed.find(exportMacro); at == 0) squeezed.erase(0, exportMacro.size());
        out[id] = squeezed + ";";
    }
    return out;
}

// The SYNOPSIS of a section-3 page as one string without whitespace and quotes.
std::string squeezedSynopsis(const std::string& page) {
    std::string out;
    bool inSynopsis = false;
    for (const std::string& line : lines(readText(kManDir / page))) {
        if (line.rfind(".SH", 0) == 0) inSynopsis = line == ".SH SYNOPSIS";
        if (!inSynopsis || (line.rfind(".B ", 0) != 0 && line.rfind(".BI ", 0) != 0)) continue;
        for (char c : plain(line))
            if (!std::isspace(static_cast<unsigned char>(c))) out += c;
    }
    return out;
}

// The tags of the page's tagged paragraphs (the line after each .TP), plain.
std::vector<std::string> tags(const std::string& page) {
    std::vector<std::string> out;
    std::vector<std::string> all = lines(readText(kManDir / page));
    for (size_t i = 0; i + 1 < all.size(); ++i)
        if (all[i] == ".TP") out.push_back(plain(all[i + 1]));
    return out;
}

void checkFunctionsDocumented(const std::string& page,
                              const std::map<std::string, std::string>& functions) {
    const std::string synopsis = squeezedSynopsis(page);
    std::string entries;
    for (const std::string& tag : tags(page))
        for (char c : tag)
            if (!std::isspace(static_cast<unsigned char>(c))) entries += c;
    for (const auto& [name, declaration] : functions) {
        EXPECT_NE(synopsis.find(declaration), std::string::npos)
            << page << ": the SYNOPSIS lacks " << declaration;
        EXPECT_NE(entries.find(name + "()"), std::string::npos)
            << page << ": no paragraph says what " << name << "() does";
    }
}

}  // namespace

TEST(ManPages, EveryCommandOfTheHelpTableHasItsEntryInLumavoxCli1) {
    std::vector<std::string> entries = tags("lumavox-cli.1");
    for (const CommandHelp& c : commandHelp()) {
        const std::string name(c.name);
        bool found = std::any_of(entries.begin(), entries.end(), [&](const std::string& tag) {
            return tag.rfind(name, 0) == 0 &&
                   (tag.size() == name.size() || tag[name.size()] == ' ');
        });
        EXPECT_TRUE(found) << "lumavox-cli.1 has no entry for '" << name << "'";
    }
}

TEST(ManPages, EveryOptionTheProgramsAcceptIsInTheirPage) {
    struct Program {
        std::string page;
        std::vector<std::filesystem::path> parsers;
    };
    std::vector<std::filesystem::path> cliSources;
    for (const auto& entry : std::filesystem::directory_iterator(kSource / "editor" / "cli"))
        if (entry.path().extension() == ".cpp")
            cliSources.push_back(std::filesystem::relative(entry.path(), kSource));
    const std::vector<Program> programs = {
        {"lumavox-cli.1", cliSources},
        {"lumavox.1", {"editor/ui/main.cpp"}},
        {"lumavox-server.1", {"server/main.cpp"}},
        {"signsim.1", {"tools/signsim/SimOptions.cpp"}},
        {"modemsim.1", {"tools/modemsim/ModemOptions.cpp"}},
        {"dtusim.1", {"tools/dtusim/Options.cpp", "tools/dtusim/main.cpp"}},
    };
    for (const Program& p : programs) {
        std::set<std::string> options = parsedOptions(p.parsers);
        if (p.page == "lumavox-cli.1") options.merge(optionsIn(helpText()));
        EXPECT_GE(options.size(), 3u) << p.page << ": the parser's options were not found";
        const std::string page = plainPage(p.page);
        for (const std::string& option : options)
            EXPECT_TRUE(hasOption(page, option)) << p.page << " does not describe " << option;
    }
}

TEST(ManPages, EveryFunctionOfTheCInterfacesIsInItsSection3Page) {
    std::map<std::string, std::string> control =
        declarations("control/include/NVSOCX.h", {"NVSOCX_", "Dll"}, "NVSOCX_API");
    control.merge(declarations("control/include/NVSOCXHost.h", {"NVSOCX_"}, ""));
    std::map<std::string, std::string> gateway =
        declarations("gateway/include/Gprslink.h", {"DTU_"}, "GPRSLINK_API");
    // The scan finds the functions (not merely nothing).
    for (const char* name :
         {"NVSOCX_Create", "NVSOCX_Invoke", "DllRegisterServer", "NVSOCX_CreateByClassId"})
        EXPECT_TRUE(control.count(name)) << name;
    EXPECT_EQ(control.count("NVSOCX_ResultHandler"), 0u);
    EXPECT_EQ(gateway.size(), 30u);  // the 29 functions and the version query
    EXPECT_EQ(gateway["DTU_AddNetServer"],
              "DTU_HANDLEDTU_AddNetServer(constchar*localIp,intport,constchar*password);");

    checkFunctionsDocumented("NVSOCX.3", control);
    checkFunctionsDocumented("Gprslink.3", gateway);
}

TEST(ManPages, EveryPageRendersWithoutWarnings) {
    if (commandOutput("command -v groff").empty())
        GTEST_SKIP() << "groff is not installed: the pages were not rendered";
    size_t pages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kManDir)) {
        ++pages;
        std::string out =
            commandOutput("LC_ALL=C groff -man -Tutf8 -ww -z '" + entry.path().string() + "' 2>&1");
        EXPECT_EQ(out, "") << entry.path().filename();
        // Every line of the formatted page fits the 80 columns of a terminal.
        std::string text = commandOutput("LC_ALL=C groff -man -Tascii -P-cbou -rLL=80n '" +
                                         entry.path().string() + "' 2>/dev/null");
        for (const std::string& line : lines(text))
            EXPECT_LE(line.size(), 80u) << entry.path().filename() << ": " << line;
    }
    EXPECT_EQ(pages, 8u);
}

namespace {

// What the completion offers for a command line typed up to its end, sorted;
// run by bash in `dir`.
std::vector<std::string> complete(const std::string& line, const std::filesystem::path& dir) {
    TempDir scripts;
    std::ofstream(scripts / "driver.sh")
        << "source \"$1\"\n"
           "COMP_LINE=$2; COMP_POINT=${#2}; COMP_WORDBREAKS=$' \\t\\n\"\\'><=;|&(:'\n"
           "COMPREPLY=(); _lumavox_cli\n"
           "printf '%s\\n' \"${COMPREPLY[@]}\"\n";
    std::string out =
        commandOutput("cd '" + dir.string() + "' && bash '" + (scripts / "driver.sh").string() +
                      "' '" + kCompletion.string() + "' '" + line + "' 2>&1");
    std::vector<std::string> words;
    for (const std::string& w : lines(out))
        if (!w.empty()) words.push_back(w);
    std::sort(words.begin(), words.end());
    return words;
}

bool haveBash() {
    return !commandOutput("command -v bash").empty();
}

}  // namespace

TEST(CliCompletion, OffersEveryCommandOfTheHelpTable) {
    if (!haveBash()) GTEST_SKIP() << "bash is not installed";
    TempDir dir;
    std::set<std::string> expected = {"help"};
    for (const CommandHelp& c : commandHelp())
        expected.insert(firstWord(c.name));
    std::vector<std::string> offered = complete("lumavox-cli ", dir.path());
    EXPECT_EQ(std::set<std::string>(offered.begin(), offered.end()), expected);
    // After "help" too.
    offered = complete("lumavox-cli help send-", dir.path());
    for (const std::string& name : expected) {
        if (name.rfind("send-", 0) != 0) continue;
        EXPECT_TRUE(std::count(offered.begin(), offered.end(), name)) << name;
    }
}

TEST(CliCompletion, OffersEveryOptionOfEachCommandsUsage) {
    if (!haveBash()) GTEST_SKIP() << "bash is not installed";
    TempDir dir;
    for (const CommandHelp& c : commandHelp()) {
        // The command's own arguments (its synopsis and the usage lines of
        // its sub-commands) and the options its usage lists; not options its
        // text merely mentions ("sending ... is --link gprs:").
        std::ostringstream usage;
        printCommandHelp(c, usage);
        std::string own(c.synopsis);
        for (const std::string& line : lines(std::string(c.details)))
            if (line.rfind("  " + firstWord(c.name) + " ", 0) == 0) own += "\n" + line;
        own += usage.str().substr(usage.str().find("\noptions:\n"));
        std::vector<std::string> offered =
            complete("lumavox-cli " + firstWord(c.name) + " --", dir.path());
        for (const std::string& option : optionsIn(own))
            EXPECT_TRUE(std::count(offered.begin(), offered.end(), option))
                << c.name << ": " << option << " is not offered";
    }
    std::vector<std::string> top = complete("lumavox-cli --v", dir.path());
    EXPECT_EQ(top, std::vector<std::string>{"--version"});
}

TEST(CliCompletion, LinkKindsFamiliesDocumentsAndSerialDevices) {
    if (!haveBash()) GTEST_SKIP() << "bash is not installed";
    TempDir dir;
    std::ofstream(dir / "hello.glm") << "x";
    std::ofstream(dir / "hello.json") << "{}";
    std::ofstream(dir / "notes.txt") << "x";
    std::filesystem::create_directory(dir / "signs");

    EXPECT_EQ(complete("lumavox-cli send-all hello.glm --link ", dir.path()),
              (std::vector<std::string>{"com:", "gprs:", "modem:", "serial:", "tcp:"}));
    EXPECT_EQ(complete("lumavox-cli dump DOC.glm --family ", dir.path()),
              (std::vector<std::string>{"kv2", "nvs"}));
    EXPECT_EQ(complete("lumavox-cli send-all ", dir.path()),
              (std::vector<std::string>{"hello.glm", "signs/"}));
    EXPECT_EQ(complete("lumavox-cli build ", dir.path()),
              (std::vector<std::string>{"hello.json", "signs/"}));
    EXPECT_EQ(complete("lumavox-cli build hello.json ", dir.path()),
              (std::vector<std::string>{"hello.glm", "signs/"}));
    EXPECT_EQ(complete("lumavox-cli modem ", dir.path()),
              (std::vector<std::string>{"add", "check", "list", "remove", "select"}));

    // A pseudo-terminal, as signsim --pty offers one, is offered after serial:
    // (the word after its colon, as bash splits it there).
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string device = ::ptsname(master);
    std::vector<std::string> offered =
        complete("lumavox-cli read-memory --link serial:/dev/pts/", dir.path());
    EXPECT_TRUE(std::count(offered.begin(), offered.end(), device)) << device;
    offered = complete("lumavox-cli modem add --port /dev/pts/", dir.path());
    EXPECT_TRUE(std::count(offered.begin(), offered.end(), device)) << device;
    ::close(master);
}
