// dtusim as a child process of a benchmark, with its standard output on a
// pipe: the benchmarks' DTUs. It dies with the benchmark.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../tests/support/TiedChild.h"

namespace lumavox::bench {

class DtusimProcess {
  public:
    // Runs `path` with the arguments, at once or (startNow false) when
    // start() is called: its pipe is made here, so a process that has used up
    // its descriptors meanwhile can still start it.
    DtusimProcess(const char* path, const std::vector<std::string>& args, bool startNow = true)
        : path_(path), args_(args) {
        int fds[2];
        if (::pipe(fds) != 0) std::exit(1);
        out_ = fds[0];
        in_ = fds[1];
        if (startNow) start();
    }
    void start() {
        if (pid_ > 0 || in_ < 0) return;
        std::vector<const char*> argv = {path_};
        for (const auto& a : args_)
            argv.push_back(a.c_str());
        argv.push_back(nullptr);
        const pid_t parent = ::getpid();
        pid_ = ::fork();
        if (pid_ == 0) {
            test::tieToStartingProcess(parent);
            ::dup2(in_, STDOUT_FILENO);
            ::close(out_);
            ::execv(path_, const_cast<char* const*>(argv.data()));
            ::_exit(127);
        }
        ::close(in_);
        in_ = -1;
    }
    ~DtusimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
        if (in_ >= 0) ::close(in_);
    }
    DtusimProcess(const DtusimProcess&) = delete;
    DtusimProcess& operator=(const DtusimProcess&) = delete;

    // A line when one is complete, waiting up to waitMs for it.
    bool pollLine(std::string& line, int waitMs = 0) {
        for (;;) {
            size_t nl = buffered_.find('\n');
            if (nl != std::string::npos) {
                line = buffered_.substr(0, nl);
                buffered_.erase(0, nl + 1);
                return true;
            }
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, waitMs) <= 0) return false;
            char buf[256];
            ssize_t r = ::read(out_, buf, sizeof buf);
            if (r <= 0) return false;
            buffered_.append(buf, static_cast<size_t>(r));
        }
    }
    // Waits up to waitMs for the process to end by itself.
    bool waitExit(int waitMs) {
        for (int waited = 0; pid_ > 0 && waited <= waitMs; waited += 10) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return true;
            }
            ::poll(nullptr, 0, 10);
        }
        return pid_ <= 0;
    }

  private:
    const char* path_;
    std::vector<std::string> args_;
    pid_t pid_ = -1;
    int out_ = -1;
    int in_ = -1;
    std::string buffered_;
};

}  // namespace lumavox::bench
