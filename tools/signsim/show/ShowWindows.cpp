// The Qt front end of `signsim --show`: a window per sign address that paints
// the newest picture of its LiveSign dot by dot.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "LineServer.h"
#include "ShowFrontEnd.h"

namespace lumavox::sim {

namespace {

constexpr int kMargin = 6;
constexpr int kRefreshMs = 20;

class SignWindow final : public QWidget {
  public:
    SignWindow(LiveSign& sign, int dot) : sign_(sign), dot_(dot) {
        setWindowTitle(QStringLiteral("signsim - sign %1 (%2x%3)")
                           .arg(sign.address())
                           .arg(sign.width())
                           .arg(sign.height()));
        setFixedSize(sign.width() * dot + 2 * kMargin, sign.height() * dot + 2 * kMargin);
        setAttribute(Qt::WA_OpaquePaintEvent);
        timer_.setInterval(kRefreshMs);
        connect(&timer_, &QTimer::timeout, this, [this] { refresh(); });
        timer_.start();
    }

    void refresh() {
        if (sign_.takeIfNewer(picture_, seen_)) update();
    }

    // Waits (bounded) until the player shows the last scene handed over, and
    // takes its picture: what the line last told the sign is on the picture.
    void settle() {
        for (int i = 0; i < 500 && !sign_.showsLatestScene(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        refresh();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(16, 16, 16));
        const int gap = dot_ >= 3 ? 1 : 0;
        for (int y = 0; y < picture_.height(); ++y)
            for (int x = 0; x < picture_.width(); ++x) {
                const Rgb c = picture_.at(x, y);
                // Dark dots stay faintly visible, as an unlit LED is.
                const QColor colour =
                    c == colours::kBlack ? QColor(40, 40, 40) : QColor(c.r, c.g, c.b);
                p.fillRect(kMargin + x * dot_, kMargin + y * dot_, dot_ - gap, dot_ - gap, colour);
            }
    }

  private:
    LiveSign& sign_;
    const int dot_;
    QTimer timer_;
    RgbImage picture_;
    uint64_t seen_ = 0;
};

}  // namespace

// The windows one below the other, written atomically.
bool keepPicture(const std::vector<std::unique_ptr<SignWindow>>& windows, const std::string& path) {
    int width = 0, height = 0;
    for (const auto& w : windows) {
        width = std::max(width, w->width());
        height += w->height();
    }
    QImage all(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    all.fill(Qt::black);
    QPainter p(&all);
    int y = 0;
    for (const auto& w : windows) {
        w->settle();
        p.drawPixmap(0, y, w->grab());
        y += w->height();
    }
    p.end();
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || !all.save(&file, "PNG") || !file.commit()) {
        std::fprintf(stderr, "signsim: --screenshot: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool showFrontEndBuilt() {
    return true;
}

int runShowWindows(int argc, char** argv, const std::vector<LiveSign*>& signs, int dot,
                   const std::string& screenshot, const std::function<int()>& line) {
    // Without a display Qt would end the program; say why instead.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((!platform || !*platform) && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fprintf(stderr,
                     "signsim: --show needs a display (DISPLAY, WAYLAND_DISPLAY or "
                     "QT_QPA_PLATFORM)\n");
        return 1;
    }
    QApplication app(argc, argv);
    std::vector<std::unique_ptr<SignWindow>> windows;
    for (size_t i = 0; i < signs.size(); ++i) {
        windows.push_back(std::make_unique<SignWindow>(*signs[i], dot));
        windows.back()->move(40, 40 + static_cast<int>(i) * (signs[i]->height() * dot + 60));
        windows.back()->show();
    }
    std::atomic<int> status{0};
    std::atomic<bool> lineEnded{false};
    std::thread server([&] {
        status = line();
        lineEnded = true;
    });
    // The line ends on a signal: close the windows then.
    QTimer watch;
    watch.setInterval(50);
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (lineEnded) app.quit();
    });
    watch.start();
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, [] { stopLine(); });
    app.exec();
    stopLine();
    server.join();
    if (!screenshot.empty() && !keepPicture(windows, screenshot)) status = 1;
    windows.clear();
    return status;
}

}  // namespace lumavox::sim
