// Starts the virtual sign on a free loopback port for a benchmark and stops it
// again: the benchmarks' sign peer.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "../tests/support/TiedChild.h"

namespace lumavox::bench {

class SignsimProcess {
  public:
    // Runs `path --tcp 0` plus the extra arguments and reads the port from its
    // "LISTEN tcp ADDR:PORT" line; port() is -1 when it did not start.
    SignsimProcess(const char* path, std::initializer_list<const char*> extra = {}) {
        std::vector<const char*> argv = {path};
        argv.insert(argv.end(), extra.begin(), extra.end());
        argv.insert(argv.end(), {"--tcp", "0", nullptr});
        int out[2];
        if (::pipe(out) != 0) return;
        const pid_t parent = ::getpid();
        pid_ = ::fork();
        if (pid_ == 0) {
            test::tieToStartingProcess(parent);
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::execv(path, const_cast<char* const*>(argv.data()));
            ::_exit(127);
        }
        ::close(out[1]);
        std::string line;
        char c;
        pollfd p{out[0], POLLIN, 0};
        while (::poll(&p, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        ::close(out[0]);
        auto colon = line.rfind(':');
        if (line.rfind("LISTEN tcp ", 0) == 0 && colon != std::string::npos)
            port_ = std::atoi(line.c_str() + colon + 1);
    }
    ~SignsimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    SignsimProcess(const SignsimProcess&) = delete;
    SignsimProcess& operator=(const SignsimProcess&) = delete;

    int port() const { return port_; }

  private:
    pid_t pid_ = -1;
    int port_ = -1;
};

}  // namespace lumavox::bench
