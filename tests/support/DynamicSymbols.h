// What a shared library shows a loader: its SONAME and its defined dynamic
// symbols with their version nodes, as readelf and nm report them. Used by the
// tests that check the exported interfaces of the two libraries.
#pragma once

#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace lumavox::test {

struct DynamicSymbols {
    std::string soname;
    // Defined symbols (functions and data) by name, with the version node each
    // is bound to ("" when unversioned).
    std::map<std::string, std::string> defined;
    // The version nodes the library defines.
    std::set<std::string> versionNodes;
};

inline std::string commandOutput(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[512];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

inline DynamicSymbols readDynamicSymbols(const std::string& path) {
    DynamicSymbols r;
    std::istringstream dyn(commandOutput("readelf -d '" + path + "'"));
    for (std::string line; std::getline(dyn, line);) {
        if (line.find("(SONAME)") == std::string::npos) continue;
        size_t open = line.find('['), close = line.rfind(']');
        if (open != std::string::npos && close > open)
            r.soname = line.substr(open + 1, close - open - 1);
    }
    // Lines "NAME@@NODE T value size"; a version node shows as "NODE A 0".
    std::istringstream syms(
        commandOutput("nm -D --defined-only --with-symbol-versions --format=posix '" + path + "'"));
    for (std::string line; std::getline(syms, line);) {
        std::istringstream fields(line);
        std::string name, type;
        if (!(fields >> name >> type)) continue;
        if (type == "A") {
            r.versionNodes.insert(name);
            continue;
        }
        std::string version;
        if (size_t at = name.find('@'); at != std::string::npos) {
            version = name.substr(name.find_first_not_of('@', at));
            name.resize(at);
        }
        r.defined[name] = version;
    }
    return r;
}

}  // namespace lumavox::test
