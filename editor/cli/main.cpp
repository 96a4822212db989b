#include "cli/Cli.h"

int main(int argc, char** argv) {
    return lumavox::runCli(argc, argv);
}
