#include "ui/graphic/GraphicFrame.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QImageReader>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "render/SignStills.h"
#include "strings/CommandIds.h"
#include "strings/GraphicTexts.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"
#include "strings/WindowTexts.h"
#include "ui/bridge/QtBridge.h"

namespace lumavox::ui {

namespace {

QRgb screenColour(uint32_t value) {
    const Rgb c = dotRgb(value);
    return qRgb(c.r, c.g, c.b);
}

constexpr QRgb kGrid = qRgb(kGridColour.r, kGridColour.g, kGridColour.b);

// The drawing tool bar's pictures, drawn here so that no picture file is needed.
QIcon toolIcon(int tool) {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(Qt::black, 2));
    switch (tool) {
        case kToolPencil:
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(QColor(230, 190, 60));
            p.drawPolygon(QPolygon({{6, 12}, {14, 4}, {17, 7}, {9, 15}}));
            p.setBrush(Qt::black);
            p.drawPolygon(QPolygon({{6, 12}, {9, 15}, {3, 18}}));
            break;
        case kToolSelect:
            p.setPen(QPen(Qt::black, 1, Qt::DashLine));
            p.drawRect(3, 3, 14, 14);
            break;
        case kToolFill:
            p.setBrush(Qt::black);
            p.drawPolygon(QPolygon({{4, 10}, {10, 4}, {16, 10}, {10, 16}}));
            break;
        case kToolLine:
            p.drawLine(3, 17, 17, 3);
            break;
        case kToolRectangle:
            p.drawRect(3, 5, 14, 10);
            break;
        case kToolRoundRect:
            p.drawRoundedRect(3, 5, 14, 10, 4, 4);
            break;
        case kToolEllipse:
            p.drawEllipse(3, 5, 14, 10);
            break;
        default:
            p.drawPolygon(QPolygon({{3, 15}, {8, 3}, {17, 8}, {13, 17}}));
            break;
    }
    return QIcon(pixmap);
}

QIcon colourIcon(uint32_t value) {
    QPixmap pixmap(14, 14);
    pixmap.fill(QColor::fromRgb(screenColour(value)));
    QPainter p(&pixmap);
    p.setPen(Qt::gray);
    p.drawRect(0, 0, 13, 13);
    return QIcon(pixmap);
}

// "Bmp File (*.BMP)|*.BMP|" as a Qt filter, which also accepts lower case.
QString bmpFilter() {
    QString filter = qtext(msg::kBmpFilter).section('|', 0, 0);
    return filter.replace(QStringLiteral("*.BMP)"), QStringLiteral("*.BMP *.bmp)"));
}

// Every picture format the import reads, in either case.
QString pictureFilter() {
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString f = QString::fromLatin1(format).toLower();
        patterns << QStringLiteral("*.") + f << QStringLiteral("*.") + f.toUpper();
    }
    patterns.removeDuplicates();
    return QStringLiteral("%1 (%2)").arg(qtext(msg::kPictureFilesFilter), patterns.join(' '));
}

}  // namespace

QImage dotsToImage(const DotImage& dots) {
    QImage image(std::max(dots.width, 1), std::max(dots.height, 1), QImage::Format_RGB32);
    image.fill(Qt::black);
    for (int y = 0; y < dots.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < dots.width; ++x)
            line[x] = screenColour(dots.at(x, y));
    }
    return image;
}

DotImage imageToDots(const QImage& image, std::span<const uint32_t> palette) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    RgbImage picture(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            picture.set(x, y,
                        {static_cast<uint8_t>(qRed(line[x])), static_cast<uint8_t>(qGreen(line[x])),
                         static_cast<uint8_t>(qBlue(line[x]))});
    }
    return mapPicture(picture, palette);
}

// ---- The canvas ------------------------------------------------------------------

CGraphicView::CGraphicView(std::unique_ptr<GraphicEditSession> session, QWidget* parent)
    : QWidget(parent), session_(std::move(session)) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    // Small graphics get bigger dots; never smaller than the preview's.
    const int longest = std::max({session_->width(), session_->height(), 1});
    setDotSize(std::clamp(384 / longest, 4, 16));
}

void CGraphicView::setDotSize(int dot) {
    dot_ = std::clamp(dot, 1, kMaxDotSize);
    // One grid line before every dot and one closing the last.
    picture_ =
        QImage(session_->width() * dot_ + 1, session_->height() * dot_ + 1, QImage::Format_RGB32);
    picture_.fill(dot_ > 3 ? kGrid : qRgb(0, 0, 0));
    setFixedSize(picture_.size());
    refresh();
}

DotPoint CGraphicView::dotAt(QPoint pos) const {
    auto floorDiv = [](int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    return {floorDiv(pos.x(), dot_), floorDiv(pos.y(), dot_)};
}

QSize CGraphicView::sizeHint() const {
    return picture_.size();
}

void CGraphicView::refresh(Rect dots) {
    const Rect all{0, 0, session_->width(), session_->height()};
    dots = dots.width <= 0 || dots.height <= 0 ? all : intersect(dots, all);
    // With a grid the first pixel row and column of each dot belong to it.
    const int inset = dot_ > 3 ? 1 : 0;
    for (int y = dots.y; y < dots.bottom(); ++y) {
        for (int row = inset; row < dot_; ++row) {
            auto* line = reinterpret_cast<QRgb*>(picture_.scanLine(y * dot_ + row));
            for (int x = dots.x; x < dots.right(); ++x) {
                const QRgb c = screenColour(session_->shownAt(x, y));
                std::fill(line + x * dot_ + inset, line + x * dot_ + dot_, c);
            }
        }
    }
    update(QRect(dots.x * dot_, dots.y * dot_, dots.width * dot_ + 1, dots.height * dot_ + 1));
}

void CGraphicView::repaintDots(Rect dots) {
    if (dots.width > 0 && dots.height > 0) refresh(dots);
    // The selection marks move with the mouse; they are cheap to draw again.
    if (session_->selection() || session_->selectionBand()) update();
}

void CGraphicView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.drawImage(event->rect(), picture_, event->rect());
    auto outline = [&](Rect r, Qt::PenStyle style) {
        if (r.width <= 0 || r.height <= 0) return;
        const QRect pixels(r.x * dot_, r.y * dot_, r.width * dot_, r.height * dot_);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::white, 1));
        p.drawRect(pixels);
        p.setPen(QPen(Qt::blue, 1, style));
        p.drawRect(pixels);
    };
    if (auto band = session_->selectionBand()) outline(*band, Qt::DashLine);
    if (auto selection = session_->selection()) outline(*selection, Qt::DotLine);
}

void CGraphicView::updateCursor(DotPoint dot) {
    if (dot.x < 0 || dot.y < 0 || dot.x >= session_->width() || dot.y >= session_->height()) {
        setCursor(Qt::ArrowCursor);
        return;
    }
    switch (session_->tools().tool) {
        case kToolSelect:
            setCursor(session_->insideSelection(dot) ? Qt::SizeAllCursor : Qt::CrossCursor);
            break;
        case kToolPencil:
        case kToolFill: {
            // The tool's own picture, its tip on the dot.
            static const QCursor pencil(toolIcon(kToolPencil).pixmap(20, 20), 3, 18);
            static const QCursor fill(toolIcon(kToolFill).pixmap(20, 20), 10, 16);
            setCursor(session_->tools().tool == kToolPencil ? pencil : fill);
            break;
        }
        default:
            setCursor(Qt::CrossCursor);
            break;
    }
}

void CGraphicView::mousePressEvent(QMouseEvent* event) {
    const DotPoint dot = dotAt(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        if (session_->polygonActive()) {
            repaintDots(session_->press(dot, MouseButton::Right));
            emit edited();
        } else {
            emit contextMenuAt(event->globalPosition().toPoint());
        }
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    repaintDots(session_->press(dot, MouseButton::Left));
    emit edited();
}

void CGraphicView::mouseMoveEvent(QMouseEvent* event) {
    const DotPoint dot = dotAt(event->position().toPoint());
    updateCursor(dot);
    if (dot.x >= 0 && dot.y >= 0 && dot.x < session_->width() && dot.y < session_->height())
        emit cursorDot(dot);
    else
        emit cursorDot(std::nullopt);
    if (session_->strokeActive()) repaintDots(session_->move(dot));
}

void CGraphicView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    repaintDots(session_->release(dotAt(event->position().toPoint()), MouseButton::Left));
    update();
    emit edited();
}

void CGraphicView::keyPressEvent(QKeyEvent* event) {
    const int step = event->modifiers() & Qt::ShiftModifier ? 8 : 1;
    int dx = 0, dy = 0;
    switch (event->key()) {
        case Qt::Key_Left:
            dx = -step;
            break;
        case Qt::Key_Right:
            dx = step;
            break;
        case Qt::Key_Up:
            dy = -step;
            break;
        case Qt::Key_Down:
            dy = step;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    if (!session_->selection() || session_->strokeActive()) {
        // Without a selection the keys scroll the canvas as usual.
        QWidget::keyPressEvent(event);
        return;
    }
    repaintDots(session_->nudgeSelection(dx, dy));
    update();
    emit edited();
}

void CGraphicView::leaveEvent(QEvent*) {
    emit cursorDot(std::nullopt);
}

// ---- The window ---------------------------------------------------------------------

CGraphicFrame::CGraphicFrame(const GraphicFile& graphic, uint8_t colourType, QWidget* parent)
    : QMdiSubWindow(parent) {
    graphicTools().resetForNewEditor();
    setWindowTitle(qtext(msg::kDrawGraphicTitle));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    toolBar_ = new QToolBar(qtext(msg::kDrawToolBarTitle), body);
    toolBar_->setObjectName(QStringLiteral("drawtoolbar"));
    layout->addWidget(toolBar_);
    scroll_ = new QScrollArea(body);
    scroll_->setBackgroundRole(QPalette::Dark);
    view_ = new CGraphicView(std::make_unique<GraphicEditSession>(graphic, colourType));
    session_ = &view_->session();
    scroll_->setWidget(view_);
    layout->addWidget(scroll_, 1);
    setWidget(body);

    buildToolBar();
    buildContextMenu();
    toolBar_->setVisible(graphicTools().toolBarShown);
    connect(view_, &CGraphicView::cursorDot, this, &CGraphicFrame::cursorDot);
    connect(view_, &CGraphicView::edited, this, &CGraphicFrame::changed);
    connect(view_, &CGraphicView::contextMenuAt, this, [this](QPoint at) {
        emit changed();
        menu_->popup(at);
    });
    fileQuestion_ = [this](bool save) {
        std::unique_ptr<QFileDialog> dialog(makeFileDialog(save));
        return dialog->exec() == QDialog::Accepted ? dialog->selectedFiles().value(0) : QString();
    };
}

QFileDialog* CGraphicFrame::makeFileDialog(bool save) {
    auto* dialog =
        new QFileDialog(this, qtext(save ? msg::kBmpSaveTitle : msg::kBmpOpenTitle), QString());
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QStringList filters{bmpFilter()};
    // Import reads any picture the system can; export writes BMP only.
    if (!save) filters << pictureFilter();
    dialog->setNameFilters(filters);
    dialog->selectFile(QStringLiteral("*.BMP"));
    return dialog;
}

CGraphicFrame::~CGraphicFrame() = default;

QAction* CGraphicFrame::toolAction(int tool) const {
    const auto list = tools_->actions();
    return tool >= 0 && tool < list.size() ? list[tool] : nullptr;
}

void CGraphicFrame::buildToolBar() {
    tools_ = new QActionGroup(this);
    for (int t = 0; t < kToolCount; ++t) {
        QAction* a = toolBar_->addAction(toolIcon(t), qtext(msg::kToolPencilName + t));
        a->setCheckable(true);
        tools_->addAction(a);
        connect(a, &QAction::triggered, this, [this, t] {
            view_->refresh(session_->setTool(t));
            view_->update();
            emit changed();
        });
    }
    toolBar_->addSeparator();
    penWidth_ = new QComboBox;
    penWidth_->setToolTip(qtext(msg::kPenWidthLabel));
    for (int w = 0; w <= kMaxPenWidthValue; ++w)
        penWidth_->addItem(qs(textf(msg::kPenWidthValue, {w + 1})));
    toolBar_->addWidget(penWidth_);
    connect(penWidth_, &QComboBox::currentIndexChanged, this,
            [](int i) { graphicTools().penWidth = std::clamp(i, 0, kMaxPenWidthValue); });
    fillMode_ = new QComboBox;
    fillMode_->setToolTip(qtext(msg::kFillModeLabel));
    for (int id : {msg::kFillModeOutline, msg::kFillModeFilled, msg::kFillModeNoOutline})
        fillMode_->addItem(qtext(id));
    toolBar_->addWidget(fillMode_);
    connect(fillMode_, &QComboBox::currentIndexChanged, this,
            [](int i) { graphicTools().fillMode = std::clamp(i, 0, 2); });
    auto colours = [this](int label, QComboBox*& box, uint32_t GraphicToolState::*field) {
        toolBar_->addSeparator();
        box = new QComboBox;
        box->setToolTip(qtext(label));
        const std::vector<uint32_t>& palette = session_->palette();
        for (uint32_t v : palette) {
            static const uint32_t order[] = {kPixelOff, kPixelRed, kPixelGreen, kPixelYellow};
            const int name = static_cast<int>(std::find(std::begin(order), std::end(order), v) -
                                              std::begin(order));
            box->addItem(colourIcon(v), qtext(msg::kColourOffName + name), QVariant::fromValue(v));
        }
        toolBar_->addWidget(box);
        connect(box, &QComboBox::currentIndexChanged, this, [box, field](int) {
            graphicTools().*field = box->currentData().value<uint32_t>();
        });
    };
    colours(msg::kPenColourLabel, penColour_, &GraphicToolState::penColour);
    colours(msg::kFillColourLabel, fillColour_, &GraphicToolState::fillColour);
    syncToolBar();
}

void CGraphicFrame::syncToolBar() {
    GraphicToolState& t = graphicTools();
    // The palette of this document may lack a colour another editor chose.
    const std::vector<uint32_t>& palette = session_->palette();
    for (uint32_t* c : {&t.penColour, &t.fillColour})
        if (std::find(palette.begin(), palette.end(), *c) == palette.end())
            *c = palette.size() > 1 ? palette[1] : palette[0];
    if (QAction* a = toolAction(t.tool)) a->setChecked(true);
    penWidth_->setCurrentIndex(t.penWidth);
    fillMode_->setCurrentIndex(t.fillMode);
    penColour_->setCurrentIndex(penColour_->findData(QVariant::fromValue(t.penColour)));
    fillColour_->setCurrentIndex(fillColour_->findData(QVariant::fromValue(t.fillColour)));
}

void CGraphicFrame::buildContextMenu() {
    menu_ = new QMenu(this);
    const std::pair<int, int> entries[] = {
        {msg::kGraphicMenuUndo, cmd::kGraphicUndo},
        {msg::kGraphicMenuRedo, cmd::kGraphicRedo},
        {0, 0},
        {msg::kGraphicMenuCopy, cmd::kGraphicCopy},
        {msg::kGraphicMenuCut, cmd::kGraphicCut},
        {msg::kGraphicMenuPaste, cmd::kGraphicPaste},
        {0, 0},
        {msg::kGraphicMenuSaveReturn, cmd::kGraphicSaveReturn},
    };
    for (const auto& [textId, command] : entries) {
        if (!textId) {
            menu_->addSeparator();
            continue;
        }
        QAction* a = menu_->addAction(qtext(textId));
        a->setData(command);
        // A structured binding is captured by a copy of its own (clang before 16
        // refuses to capture the binding itself).
        connect(a, &QAction::triggered, this, [this, command = command] {
            if (runner_) runner_(command);
        });
    }
    // The same availability as the menu bar's entries.
    connect(menu_, &QMenu::aboutToShow, this, [this] {
        CommandState state;
        state.editMode = kModeGraphicEditor;
        state.documentOpen = true;
        describeForCommands(*session_, state);
        for (QAction* a : menu_->actions())
            if (!a->isSeparator()) a->setEnabled(commandEnabled(a->data().toInt(), state));
    });
}

void CGraphicFrame::afterChange(Rect dots) {
    view_->refresh(dots);
    view_->update();
    syncToolBar();
    emit changed();
}

void CGraphicFrame::undo() {
    if (session_->undo()) afterChange();
}

void CGraphicFrame::redo() {
    if (session_->redo()) afterChange();
}

void CGraphicFrame::copy() {
    const DotImage dots = session_->copySelection();
    if (!dots.empty()) QGuiApplication::clipboard()->setImage(dotsToImage(dots));
}

void CGraphicFrame::cut() {
    const DotImage dots = session_->cutSelection();
    if (!dots.empty()) QGuiApplication::clipboard()->setImage(dotsToImage(dots));
    afterChange();
}

void CGraphicFrame::paste() {
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull()) return;
    session_->placeFloating(imageToDots(image, session_->palette()), visibleTopLeft());
    afterChange();
}

void CGraphicFrame::deleteSelection() {
    if (session_->deleteSelection()) afterChange();
    view_->update();
}

DotPoint CGraphicFrame::visibleTopLeft() const {
    const int dot = view_->dotSize();
    return {scroll_->horizontalScrollBar()->value() / dot,
            scroll_->verticalScrollBar()->value() / dot};
}

bool CGraphicFrame::importBmp() {
    const QString path = fileQuestion_ ? fileQuestion_(false) : QString();
    return !path.isEmpty() && importBmp(path);
}

bool CGraphicFrame::importBmp(const QString& path) {
    QImage image(path);
    if (image.isNull()) {
        showMessage(this, importUnreadableMessage(ss(path)), Icon::Exclamation);
        return false;
    }
    const bool cut =
        session_->placeFloating(imageToDots(image, session_->palette()), visibleTopLeft());
    afterChange();
    if (cut)
        showMessage(
            this,
            importCutMessage(image.width(), image.height(), session_->width(), session_->height()),
            Icon::Information);
    return true;
}

bool CGraphicFrame::exportBmp() {
    const QString path = fileQuestion_ ? fileQuestion_(true) : QString();
    return !path.isEmpty() && exportBmp(path);
}

bool CGraphicFrame::exportBmp(const QString& path) {
    session_->commitSelection();
    afterChange();
    std::string error;
    if (!exportGraphicBmp(session_->shownGraphic(), ss(path), error)) {
        showMessage(this, error, Icon::Error);
        return false;
    }
    return true;
}

void CGraphicFrame::closeEvent(QCloseEvent* event) {
    emit closing();
    QMdiSubWindow::closeEvent(event);
}

}  // namespace lumavox::ui
