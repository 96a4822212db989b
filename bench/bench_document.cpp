// Saves and reopens the largest document the editor allows: 255 text files of
// 10,000 items each, 255 graphics of 160 x 16 and 30 schedule tasks. Prints the
// file size, the time of each step and the memory the open needed.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "MaximalDocument.h"
#include "content/Document.h"
#include "platform/Files.h"

using namespace lumavox;

namespace {

// Peak resident memory in KiB since the last resetPeak().
long peakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

long currentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double msSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

int main() {
    const SystemClock& clock = SystemClock::instance();
    WorkArea work = bench::maximalWorkArea();
    char dirTemplate[] = "/tmp/lumavox-bench-XXXXXX";
    if (!mkdtemp(dirTemplate)) return 1;
    std::filesystem::path path = std::filesystem::path(dirTemplate) / "maximal.glm";

    auto t0 = std::chrono::steady_clock::now();
    std::string error;
    if (!saveDocument(path, work, SignMode::KV2, clock, error)) {
        std::fprintf(stderr, "save failed: %s\n", error.c_str());
        return 1;
    }
    double saveMs = msSince(t0);
    auto fileBytes = std::filesystem::file_size(path);

    long before = currentKiB();
    resetPeak();
    t0 = std::chrono::steady_clock::now();
    OpenResult r = openDocument(path, OpenOptions{});
    double openMs = msSince(t0);
    long peak = peakKiB();
    if (!r.ok || !(r.work == work)) {
        std::fprintf(stderr, "reopen failed: %s\n", r.error.c_str());
        return 1;
    }
    std::filesystem::remove_all(dirTemplate);

    double fileMiB = static_cast<double>(fileBytes) / (1024 * 1024);
    double openMiB = static_cast<double>(peak - before) / 1024;
    std::printf("maximal document: %zu text files x %zu items, %zu graphics, %zu tasks\n",
                work.textFiles.size(), work.textFiles[0].items.size(), work.graphics.size(),
                work.tasks.size());
    std::printf("file size        %.1f MiB\n", fileMiB);
    std::printf("save             %.0f ms\n", saveMs);
    std::printf("open             %.0f ms\n", openMs);
    std::printf("open memory      %.1f MiB above the %.1f MiB already in use (%.1f x the file)\n",
                openMiB, before / 1024.0, openMiB / fileMiB);
    return 0;
}
