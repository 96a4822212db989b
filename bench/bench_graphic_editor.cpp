// The graphic editor's figures, offscreen, on a 255 x 255 graphic drawn at
// 4 pixels a dot:
//
// 1. A pencil stroke of 1,000 mouse moves: the time from each move event to
//    the canvas repainted (target: every move within 8 ms).
// 2. The same for the ellipse tool, whose rubber band grows over the whole
//    canvas (the heaviest shape to redraw).
// 3. A flood fill of the whole blank canvas (target: within 5 ms).
#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/GraphicEdit.h"
#include "ui/graphic/GraphicFrame.h"

using namespace lumavox;

namespace {

double ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

GraphicFile blank(int w, int h) {
    GraphicFile g;
    g.name = Name9("BENCH");
    g.width = static_cast<uint16_t>(w);
    g.height = static_cast<uint16_t>(h);
    g.pixels.assign(static_cast<size_t>(w) * h, kPixelOff);
    return g;
}

void send(ui::CGraphicView& view, QEvent::Type type, DotPoint dot, Qt::MouseButtons held) {
    const QPointF at = view.pixelOf(dot) + QPoint(1, 1);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, at, view.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&view, &e);
}

struct Figures {
    double median = 0;
    double worst = 0;
};

// One stroke along `path`; each move is timed until its repaint is done.
Figures stroke(ui::CGraphicFrame& frame, int tool, const std::vector<DotPoint>& path) {
    frame.toolAction(tool)->trigger();
    ui::CGraphicView& view = frame.view();
    send(view, QEvent::MouseButtonPress, path.front(), Qt::LeftButton);
    QApplication::processEvents();
    std::vector<double> times;
    for (size_t i = 1; i < path.size(); ++i) {
        QElapsedTimer t;
        t.start();
        send(view, QEvent::MouseMove, path[i], Qt::LeftButton);
        QApplication::processEvents();  // the repaint the move asked for
        times.push_back(ms(t));
    }
    send(view, QEvent::MouseButtonRelease, path.back(), Qt::NoButton);
    QApplication::processEvents();
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    constexpr int kSize = 255;

    ui::CGraphicFrame frame(blank(kSize, kSize), 0);
    frame.view().setDotSize(4);
    frame.resize(kSize * 4 + 80, kSize * 4 + 120);
    frame.show();
    QApplication::processEvents();

    // A zig-zag over the whole canvas, a few dots a move like a quick hand.
    std::vector<DotPoint> path;
    for (int i = 0; i < 1000; ++i)
        path.push_back({(i * 3) % kSize, (i * 7 / 3) % kSize});
    const Figures pencil = stroke(frame, kToolPencil, path);
    std::vector<DotPoint> grow;
    for (int i = 0; i < 1000; ++i)
        grow.push_back({i * (kSize - 1) / 999, i * (kSize - 1) / 999});
    graphicTools().fillMode = kFillAndOutline;
    const Figures ellipse = stroke(frame, kToolEllipse, grow);

    std::printf("graphic editor, %d x %d dots at 4 pixels a dot, offscreen\n", kSize, kSize);
    std::printf(
        "  pencil stroke, move to repainted:  median %.3f ms, worst %.3f ms (target 8 ms)\n",
        pencil.median, pencil.worst);
    std::printf(
        "  ellipse rubber band, same:         median %.3f ms, worst %.3f ms (target 8 ms)\n",
        ellipse.median, ellipse.worst);

    // Flood fill of the whole blank canvas, best of 20 (each on a fresh copy).
    double best = 1e9, worst = 0;
    for (int i = 0; i < 20; ++i) {
        DotImage image(kSize, kSize);
        QElapsedTimer t;
        t.start();
        floodFill(image, kSize / 2, kSize / 2, i % 2 ? kPixelGreen : kPixelRed);
        const double took = ms(t);
        best = std::min(best, took);
        worst = std::max(worst, took);
    }
    std::printf("  flood fill of the whole canvas:    best %.3f ms, worst %.3f ms (target 5 ms)\n",
                best, worst);
    const bool ok = pencil.worst <= 8 && ellipse.worst <= 8 && worst <= 5;
    std::printf("  %s\n", ok ? "within the targets" : "OUTSIDE a target");
    return 0;
}
