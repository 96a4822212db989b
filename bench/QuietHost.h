// A session host for the benchmarks: no status, no progress, every question
// answered No, messages on standard error.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "session/SessionHost.h"

namespace lumavox {

class QuietHost : public SessionHost {
  public:
    void status(const std::string&) override {}
    void progressRange(int, int) override {}
    void progressPosition(int) override {}
    void message(const std::string& t, Icon) override { std::fprintf(stderr, "%s\n", t.c_str()); }
    bool askYesNo(const std::string&, Icon) override { return false; }
    void fileList(const std::vector<FileEntry>&) override {}
    void pump() override {}
    bool cancelRequested() const override { return false; }
};

}  // namespace lumavox
