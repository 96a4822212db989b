#include "SignShowSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "render/preview/GifAnimation.h"
#include "support/TiedChild.h"

namespace lumavox::test {

int runCli(const TempDir& dir, const std::string& args, std::string* out) {
    const auto outPath = dir / "cli.out";
    const std::string cmd =
        std::string(LUMAVOX_CLI_PATH) + " " + args + " >" + outPath.string() + " 2>&1";
    const int status = std::system(cmd.c_str());
    if (out) *out = slurp(outPath);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

SignProcess::SignProcess(const TempDir& dir, std::vector<std::string> extra)
    : gifDir_(dir / "gif") {
    std::filesystem::create_directories(gifDir_);
    std::vector<std::string> args{
        LUMAVOX_SIGNSIM_PATH,       "--tcp", "0", "--gif-dir", gifDir_.string(), "--log",
        (dir / "sign.log").string()};
    args.insert(args.end(), extra.begin(), extra.end());
    const std::string errPath = (dir / "sign.err").string();
    int fds[2];
    if (pipe(fds) != 0) return;
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        tieToStartingProcess(parent);
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err >= 0) dup2(err, 2);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::string line;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        line += c;
    close(fds[0]);
    const auto colon = line.rfind(':');
    if (line.rfind("LISTEN tcp", 0) == 0 && colon != std::string::npos)
        link_ = "--link tcp:127.0.0.1:" + line.substr(colon + 1) + " --address 1";
}

SignProcess::~SignProcess() {
    stop();
}

int SignProcess::stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void signCommand(const TempDir& dir, const SignProcess& sign, const std::string& command) {
    std::string out;
    ASSERT_EQ(runCli(dir, command + " " + sign.link() + " --yes", &out), 0) << command << "\n"
                                                                            << out;
    ASSERT_EQ(runCli(dir, "read-default " + sign.link(), &out), 0) << out;
}

GifMovie readMovie(const std::filesystem::path& path) {
    GifMovie movie;
    std::string error;
    EXPECT_TRUE(readGif(path, movie, error)) << path << ": " << error;
    return movie;
}

GifMovie preview(const TempDir& dir, const std::string& doc, const std::string& clock,
                 const std::string& extra) {
    const auto gif = dir / "preview.gif";
    std::string out;
    EXPECT_EQ(runCli(dir,
                     "preview " + doc + " --seconds 30 --seed 1 --clock \"" + clock + "\" --gif " +
                         gif.string() + " " + extra,
                     &out),
              0)
        << out;
    return readMovie(gif);
}

void expectSameFrames(const GifMovie& sign, const GifMovie& promised) {
    ASSERT_EQ(sign.width, promised.width);
    ASSERT_EQ(sign.height, promised.height);
    EXPECT_EQ(sign.frames.size(), promised.frames.size());
    for (size_t i = 0; i < std::min(sign.frames.size(), promised.frames.size()); ++i) {
        ASSERT_TRUE(sign.frames[i].picture == promised.frames[i].picture) << "frame " << i;
        ASSERT_EQ(sign.frames[i].delayCs, promised.frames[i].delayCs) << "frame " << i;
    }
}

GifMovie darkSign(int width, int height) {
    GifAnimation gif(width, height, 4);
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(gif.finish(30000, bytes, error)) << error;
    GifMovie movie;
    EXPECT_TRUE(readGif(bytes, movie, error)) << error;
    return movie;
}

std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace lumavox::test
