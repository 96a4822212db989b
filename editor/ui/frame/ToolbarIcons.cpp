#include "ui/frame/ToolbarIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

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

}  // namespace

QIcon toolbarIcon(ToolbarIcon icon) {
    QStyle* style = QApplication::style();
    switch (icon) {
        case ToolbarIcon::New:
            return style->standardIcon(QStyle::SP_FileIcon);
        case ToolbarIcon::Open:
            return style->standardIcon(QStyle::SP_DialogOpenButton);
        case ToolbarIcon::Save:
            return style->standardIcon(QStyle::SP_DialogSaveButton);
        case ToolbarIcon::Cut:
            return QIcon::fromTheme(QStringLiteral("edit-cut"),
                                    style->standardIcon(QStyle::SP_TrashIcon));
        case ToolbarIcon::Copy:
            return QIcon::fromTheme(QStringLiteral("edit-copy"),
                                    style->standardIcon(QStyle::SP_FileDialogDetailedView));
        case ToolbarIcon::Paste:
            return QIcon::fromTheme(QStringLiteral("edit-paste"),
                                    style->standardIcon(QStyle::SP_FileDialogContentsView));
        case ToolbarIcon::SendCurrent:
            return QIcon(signPicture(32, true, false));
        case ToolbarIcon::SendAll:
            return QIcon(signPicture(32, true, true));
        case ToolbarIcon::Preview:
            return QIcon(previewPicture(32));
        case ToolbarIcon::About:
            return style->standardIcon(QStyle::SP_MessageBoxInformation);
        case ToolbarIcon::Application:
            break;
    }
    QIcon app;
    for (int size : {16, 32, 48})
        app.addPixmap(signPicture(size, false, false));
    return app;
}

}  // namespace lumavox::ui
