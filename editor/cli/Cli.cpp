#include "cli/Cli.h"

#include <iostream>

namespace lumavox {

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    (void)args;
    (void)out;
    err << "usage: lumavox-cli dump DOC.glm [--home DIR]\n";
    return 2;
}

int runCli(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return runCli(args, std::cout, std::cerr);
}

}  // namespace lumavox
