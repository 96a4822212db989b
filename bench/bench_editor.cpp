// The editor's window, offscreen: the time from start to the first painted
// window with the demonstration document, the time to open the largest
// document the editor allows, and the time from a key typed into a text file
// of 10,000 items until the view has repainted (median of 1,000 keys).
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "BenchHome.h"
#include "BenchWindow.h"
#include "MaximalDocument.h"
#include "app/Demo.h"
#include "content/Document.h"
#include "platform/Files.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/LumavoxDoc.h"
#include "ui/frame/MainFrame.h"
#include "ui/views/LumavoxView.h"

using namespace lumavox;

namespace {

// Notes the first paint of a widget.
class PaintWatch : public QObject {
  public:
    bool painted = false;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted = true;
        return QObject::eventFilter(o, e);
    }
};

double ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::filesystem::path home = bench::makeBenchHome("lumavox-bench-editor");
    if (home.empty()) return 1;
    const SystemClock& clock = SystemClock::instance();
    std::string error;
    WorkArea demo = makeDemoWorkArea(clock);
    saveDocument(home / "demo.glm", demo, SignMode::KV2, clock, error);
    WorkArea maximal = bench::maximalWorkArea();
    saveDocument(home / "maximal.glm", maximal, SignMode::KV2, clock, error);

    // 1. Start to the first painted window.
    QElapsedTimer start;
    start.start();
    QApplication app(argc, argv);
    bench::BenchWindow window(home);
    ui::CMainFrame& frame = window.frame();
    frame.resize(1280, 800);
    ui::CChildFrame* child =
        frame.openDocument(QString::fromStdString((home / "demo.glm").string()));
    if (!child) return 1;
    PaintWatch watch;
    child->view().viewport()->installEventFilter(&watch);
    frame.show();
    while (!watch.painted)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double startMs = ms(start);

    // 2. Opening the largest document.
    QElapsedTimer open;
    open.start();
    ui::CChildFrame* big =
        frame.openDocument(QString::fromStdString((home / "maximal.glm").string()));
    if (!big) return 1;
    PaintWatch bigWatch;
    big->view().viewport()->installEventFilter(&bigWatch);
    while (!bigWatch.painted)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double openMs = ms(open);

    // 3. Keys typed into a file of 10,000 items, each until the view repainted.
    ui::CLumavoxView& view = big->view();
    view.setFocus();
    view.editor().setCaret(5000);
    std::vector<double> keys;
    for (int i = 0; i < 1000; ++i) {
        QElapsedTimer key;
        key.start();
        QTest::keyClick(&view, static_cast<char>('a' + i % 26));
        view.viewport()->repaint();
        keys.push_back(ms(key));
    }
    std::sort(keys.begin(), keys.end());
    std::printf("start to first painted window (demo document)   %.0f ms\n", startMs);
    std::printf("open the largest document (%zu text files)      %.0f ms\n",
                maximal.textFiles.size(), openMs);
    std::printf("key to repaint in %zu items: median %.2f ms, 90%% %.2f ms, max %.2f ms\n",
                maximal.textFiles[0].items.size(), keys[keys.size() / 2],
                keys[keys.size() * 9 / 10], keys.back());
    for (ui::CChildFrame* c : frame.children())
        delete c;
    std::filesystem::remove_all(home);
    return 0;
}
