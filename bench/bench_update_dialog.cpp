// Update > All through the window's operation dialog (offscreen) against the
// same send through lumavox-cli, both to signsim over loopback TCP with the
// session's default pauses: the dialog must add no measurable time. The dialog
// starts its run 500 ms after it opens, as the operation dialog does for every
// kind that needs no ticked files; that wait is reported apart and left out of
// the ratio. Reported: the times per round and the ratio's minimum, median and
// maximum.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

#include "BenchHome.h"
#include "BenchWindow.h"
#include "LargeDocument.h"
#include "SignsimProcess.h"
#include "editing/MenuTree.h"
#include "ui/dialogs/UpdateDlg.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/LumavoxDoc.h"
#include "ui/frame/MainFrame.h"

using namespace lumavox;

namespace {

constexpr int kRounds = 7;
constexpr double kStartDelaySeconds = 0.5;

double seconds(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e9;
}

// Presses "Close" once the dialog's run has ended.
void closeWhenDone() {
    auto* timer = new QTimer;
    timer->setInterval(1);
    QObject::connect(timer, &QTimer::timeout, [timer] {
        auto* d = qobject_cast<ui::CUpdateDlg*>(QApplication::activeModalWidget());
        if (d && d->finishedRuns() >= 1) {
            timer->stop();
            timer->deleteLater();
            d->pressClose();
        }
    });
    timer->start();
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::filesystem::path home = bench::makeBenchHome("lumavox-bench-dialog");
    if (home.empty()) return 1;
    const std::filesystem::path bin = std::filesystem::canonical("/proc/self/exe").parent_path();

    WorkArea work = bench::largeDocument();
    const std::string path = (home / "large.glm").string();
    std::string error;
    if (!saveDocument(path, work, SignMode::KV2, SystemClock::instance(), error)) return 1;

    bench::SignsimProcess sign((bin / "signsim").c_str(), {"--address", "1"});
    if (sign.port() < 0) {
        std::fprintf(stderr, "signsim did not start\n");
        return 1;
    }
    const std::string port = std::to_string(sign.port());

    QApplication app(argc, argv);
    bench::BenchWindow window(home, [&](Settings& settings) {
        settings.sendType = SendType::TcpIp;
        settings.tcpGroups = {{"G", "127.0.0.1"}};
        settings.lastGroupName = "G";
        settings.tcpPort = sign.port();
        settings.address = "1";
        settings.alwaysDisplay = false;
    });
    ui::CMainFrame& frame = window.frame();
    frame.resize(1024, 700);
    frame.show();
    if (!frame.openDocument(QString::fromStdString(path))) return 1;

    std::vector<double> ratios;
    std::printf("round  dialog s (without its 0.5 s start)  cli s  ratio\n");
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer dialog;
        dialog.start();
        closeWhenDone();
        frame.runCommand(cmd::kSendAll);
        const double dialogSeconds = seconds(dialog) - kStartDelaySeconds;

        std::ostringstream out, err;
        QElapsedTimer cli;
        cli.start();
        const int status = runCli({"send-all", path, "--link", "tcp:127.0.0.1:" + port, "--address",
                                   "1", "--home", home.string(), "--quiet"},
                                  out, err);
        const double cliSeconds = seconds(cli);
        if (status != 0) {
            std::fprintf(stderr, "lumavox-cli failed: %s\n", err.str().c_str());
            return 1;
        }
        ratios.push_back(dialogSeconds / cliSeconds);
        std::printf("%5d  %8.3f                           %5.3f  %5.2f\n", round + 1, dialogSeconds,
                    cliSeconds, ratios.back());
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("dialog / cli: min %.2f, median %.2f, max %.2f (aim: at most 1.2)\n",
                ratios.front(), ratios[ratios.size() / 2], ratios.back());
    for (ui::CChildFrame* c : frame.children())
        delete c;
    std::filesystem::remove_all(home);
    return 0;
}
