#include "ui/frame/ToolbarIcons.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <algorithm>

namespace lumavox::ui {

namespace {

// A small sign: a dark board with lit dots in the sign's colours.
QPixmap signPicture(int size, bool arrow, bool allFiles) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    const int board = size * 5 / 8;
    p.fillRect(0, (size - board) / 2, size, board, QColor(30, 30, 30));
    const QColor dots[] = {QColor(255, 40, 40), QColor(40, 220, 40), QColor(255, 220, 0)};
    const int step = std::max(size / 8, 2);
    int n = 0;
    for (int y = (size - board) / 2 + step / 2; y < (size + board) / 2 - 1; y += step)
        for (int x = step / 2; x < size - 1; x += step)
            if ((x + y + n++) % 3 != 0)
                p.fillRect(x, y, std::max(step / 2, 1), std::max(step / 2, 1),
                           dots[(x / step) % 3]);
    if (arrow) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(QColor(0, 90, 200), std::max(size / 10, 2)));
        const int y = size - size / 8;
        p.drawLine(size / 8, y, size - size / 4, y);
        p.drawLine(size - size / 4, y, size - size / 2 + size / 8, y - size / 6);
        if (allFiles) p.drawLine(size / 8, size / 8, size - size / 4, size / 8);
    }
    return pixmap;
}

QPixmap previewPicture(int size) {
    QPixmap pixmap = signPicture(size, false, false);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(0, 90, 200), std::max(size / 10, 2)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(size * 0.45, size * 0.45, size * 0.35, size * 0.35));
    p.drawLine(QPointF(size * 0.75, size * 0.75), QPointF(size * 0.95, size * 0.95));
    return pixmap;
}

// The pictures of the file, clipboard and help buttons, drawn on a 32 x 32
// grid and scaled: no theme or style is asked, so the toolbar looks the same
// on every desktop.
const QColor kInk(40, 40, 40);
const QColor kPaper(250, 250, 250);
const QColor kBlue(0, 90, 200);

void page(QPainter& p, QRectF r) {
    const qreal fold = r.width() / 3;
    const QPointF outline[] = {r.topLeft(), QPointF(r.right() - fold, r.top()),
                               QPointF(r.right(), r.top() + fold), r.bottomRight(), r.bottomLeft()};
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kPaper);
    p.drawPolygon(outline, 5);
    p.drawPolyline(
        QPolygonF({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                   QPointF(r.right(), r.top() + fold)}));
}

void lines(QPainter& p, QRectF r, int count) {
    p.setPen(QPen(QColor(130, 130, 130), 1.2));
    for (int i = 0; i < count; ++i) {
        const qreal y = r.top() + r.height() * (i + 1) / (count + 1);
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
    }
}

void drawNew(QPainter& p) {
    page(p, QRectF(7, 3, 18, 26));
    // A spark: something new.
    p.setPen(QPen(QColor(230, 170, 0), 2));
    p.drawLine(QPointF(24, 20), QPointF(30, 20));
    p.drawLine(QPointF(27, 17), QPointF(27, 23));
}

void drawOpen(QPainter& p) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(225, 180, 60));
    p.drawPolygon(QPolygonF({QPointF(2, 8), QPointF(11, 8), QPointF(14, 11), QPointF(27, 11),
                             QPointF(27, 27), QPointF(2, 27)}));
    p.setBrush(QColor(250, 210, 100));
    p.drawPolygon(QPolygonF({QPointF(2, 27), QPointF(7, 15), QPointF(31, 15), QPointF(27, 27)}));
}

void drawSave(QPainter& p) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF(
        {QPointF(4, 4), QPointF(25, 4), QPointF(28, 7), QPointF(28, 28), QPointF(4, 28)}));
    p.setBrush(kPaper);
    p.drawRect(QRectF(9, 4, 14, 9));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(8, 18, 16, 10));
    p.fillRect(QRectF(18, 6, 3, 5), kInk);
}

void drawCut(QPainter& p) {
    p.setPen(QPen(QColor(90, 90, 90), 2.2));
    p.drawLine(QPointF(9, 3), QPointF(20, 20));
    p.drawLine(QPointF(23, 3), QPointF(12, 20));
    p.setPen(QPen(QColor(200, 30, 30), 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(5, 19, 8, 8));
    p.drawEllipse(QRectF(19, 19, 8, 8));
}

void drawCopy(QPainter& p) {
    page(p, QRectF(3, 3, 16, 20));
    lines(p, QRectF(3, 6, 16, 17), 3);
    page(p, QRectF(12, 9, 16, 20));
    lines(p, QRectF(12, 12, 16, 17), 3);
}

void drawPaste(QPainter& p) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(190, 140, 80));
    p.drawRoundedRect(QRectF(4, 5, 20, 24), 2, 2);
    p.setBrush(QColor(160, 160, 160));
    p.drawRect(QRectF(9, 2, 10, 6));
    page(p, QRectF(14, 12, 15, 18));
    lines(p, QRectF(14, 15, 15, 15), 3);
}

void drawAbout(QPainter& p) {
    p.setPen(QPen(QColor(0, 60, 150), 1.5));
    p.setBrush(kBlue);
    p.drawEllipse(QRectF(3, 3, 26, 26));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(14, 7, 4, 4));
    p.drawRect(QRectF(14, 13, 4, 12));
}

QPixmap drawnPicture(ToolbarIcon icon, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(size / 32.0, size / 32.0);
    switch (icon) {
        case ToolbarIcon::New:
            drawNew(p);
            break;
        case ToolbarIcon::Open:
            drawOpen(p);
            break;
        case ToolbarIcon::Save:
            drawSave(p);
            break;
        case ToolbarIcon::Cut:
            drawCut(p);
            break;
        case ToolbarIcon::Copy:
            drawCopy(p);
            break;
        case ToolbarIcon::Paste:
            drawPaste(p);
            break;
        case ToolbarIcon::About:
            drawAbout(p);
            break;
        default:
            break;
    }
    return pixmap;
}

}  // namespace

QIcon toolbarIcon(ToolbarIcon icon) {
    QIcon result;
    for (int size : {16, 24, 32, 48}) {
        switch (icon) {
            case ToolbarIcon::SendCurrent:
                result.addPixmap(signPicture(size, true, false));
                break;
            case ToolbarIcon::SendAll:
                result.addPixmap(signPicture(size, true, true));
                break;
            case ToolbarIcon::Preview:
                result.addPixmap(previewPicture(size));
                break;
            case ToolbarIcon::Application:
                result.addPixmap(signPicture(size, false, false));
                break;
            default:
                result.addPixmap(drawnPicture(icon, size));
                break;
        }
    }
    return result;
}

}  // namespace lumavox::ui
