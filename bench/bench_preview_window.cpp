// The preview window's painting, offscreen, on the largest sign it plays
// (4096 x 4096 dots): the time to paint one frame of the window and the
// memory the process grew by while painting. A window shows a few hundred
// dots across, so a frame should cost about what a small sign's does.
//
// `bench_preview_window [SIZE]` takes another sign size (square, default 4096).
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchHome.h"
#include "BenchWindow.h"
#include "editing/InsertItems.h"
#include "editing/MenuTree.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/LumavoxDoc.h"
#include "ui/frame/MainFrame.h"
#include "ui/preview/PreviewWindow.h"
#include "ui/views/LumavoxView.h"

using namespace lumavox;

namespace {

double ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

long peakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const int size = argc > 1 ? std::clamp(std::atoi(argv[1]), 16, 4096) : 4096;
    const std::filesystem::path home = bench::makeBenchHome("lumavox-bench-preview-window");
    if (home.empty()) return 1;
    QApplication app(argc, argv);
    bench::BenchWindow window(home);
    ui::CMainFrame& frame = window.frame();
    frame.resize(1280, 800);
    frame.show();
    ui::CChildFrame* child = frame.newDocument(size, size, 0);
    if (!child) return 1;
    // A short text that comes in at once and stays.
    TextEditor& editor = child->view().editor();
    for (const char c : std::string("LUMAVOX"))
        insertChecked(editor, makeCharacterItem(static_cast<uint8_t>(c), editor.attributes()));

    if (!frame.runCommand(cmd::kPreview)) return 1;
    QPointer<ui::PreviewWindow> preview = frame.preview();
    if (!preview) return 1;
    preview->resize(1024, 768);
    preview->show();
    QElapsedTimer wait;
    wait.start();
    while (preview->framesShown() == 0 && wait.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    if (preview->framesShown() == 0) {
        std::fprintf(stderr, "the preview showed no frame\n");
        return 1;
    }

    // Each frame painted as the window paints it, the whole window at once.
    const long before = peakKb();
    std::vector<double> frames;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer paint;
        paint.start();
        const QPixmap shot = preview->grab();
        frames.push_back(ms(paint));
        if (shot.isNull()) return 1;
    }
    std::sort(frames.begin(), frames.end());
    std::printf("preview window %dx%d pixels, sign %d x %d dots\n", preview->width(),
                preview->height(), size, size);
    std::printf("one frame painted: median %.1f ms, max %.1f ms\n", frames[frames.size() / 2],
                frames.back());
    std::printf("peak memory grew by %.0f MB while painting (peak %.0f MB)\n",
                (peakKb() - before) / 1024.0, peakKb() / 1024.0);
    preview->close();
    while (preview)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    for (ui::CChildFrame* c : frame.children())
        delete c;
    std::filesystem::remove_all(home);
    return 0;
}
