// Helpers of the tests of what the virtual sign shows: lumavox-cli and signsim
// as child processes, and GIFs read back as pictures.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "GifReader.h"
#include "support/TestSupport.h"

namespace lumavox::test {

// Runs lumavox-cli with `args` (a shell command line); its output in `out`.
int runCli(const TempDir& dir, const std::string& args, std::string* out = nullptr);

// signsim as a child process on a free TCP port, writing GIFs into dir/gif,
// its log to dir/sign.log and its standard error to dir/sign.err.
class SignProcess {
  public:
    SignProcess(const TempDir& dir, std::vector<std::string> extra);
    ~SignProcess();
    SignProcess(const SignProcess&) = delete;
    SignProcess& operator=(const SignProcess&) = delete;
    // "--link tcp:127.0.0.1:PORT --address 1"; empty when it did not start.
    const std::string& link() const { return link_; }
    std::filesystem::path gif(int address = 1) const {
        return gifDir_ / ("sign-" + std::to_string(address) + ".gif");
    }
    // Stops it (SIGTERM) and returns its exit status, -1 when it was killed.
    int stop();

  private:
    std::filesystem::path gifDir_;
    pid_t pid_ = -1;
    std::string link_;
};

// Runs a sign command; the read that follows it is answered only after the
// sign has dealt with everything before it, GIF included.
void signCommand(const TempDir& dir, const SignProcess& sign, const std::string& command);

GifMovie readMovie(const std::filesystem::path& path);

// `lumavox-cli preview` of `doc` for 30 s at `clock`, seed 1.
GifMovie preview(const TempDir& dir, const std::string& doc, const std::string& clock,
                 const std::string& extra = "");

void expectSameFrames(const GifMovie& sign, const GifMovie& promised);

// 30 s of a dark sign of that size (4 pixels a dot).
GifMovie darkSign(int width = 160, int height = 16);

std::string slurp(const std::filesystem::path& path);

}  // namespace lumavox::test
