// Command line of dtusim.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace lumavox::dtusim {

struct Endpoint {
    std::string host;
    int port = 0;
};

struct DialogueOptions {
    bool echo = false;                   // echo every command line back
    std::set<std::string> errCmd;        // parameters answered with "ERR CMD"
    std::set<std::string> errData;       // parameters whose writes get "ERR DATA"
    std::map<std::string, int> delayMs;  // parameters answered only after a delay
    std::vector<std::pair<std::string, std::string>> params;  // the DTU's parameter list
};

struct Options {
    // TCP side.
    std::optional<Endpoint> gateway;
    std::optional<Endpoint> sign;
    int count = 1;
    int connectWindow = 64;
    std::string type = "DTU-SIM";
    std::string name = "DTU%03d";
    std::string phone = "13800000000";
    std::string password;
    std::string id = "0000000001";
    bool framed = false;
    int heartbeatMs = 0;
    // A hostile DTU: after its record it sends this many junk bytes and
    // leaves; dtusim ends once every DTU has left.
    long junkBytes = 0;
    // Serial configuration side.
    std::optional<std::string> serialConfig;
    DialogueOptions dialogue;
};

// Parses argv; on error returns nullopt and sets error.
std::optional<Options> parseOptions(int argc, char** argv, std::string& error);
std::string usage();

// The name of DTU number `index` (1-based): the pattern's one "%d"-style field
// ("%d", "%05d") is replaced by the number; a pattern without one gets the
// number appended when there are several DTUs.
std::string nameFor(const std::string& pattern, int index, int count);

}  // namespace lumavox::dtusim
