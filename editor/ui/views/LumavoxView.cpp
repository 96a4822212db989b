#include "ui/views/LumavoxView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "content/FontCheck.h"
#include "content/Vocabulary.h"
#include "content/WindowLayout.h"
#include "editing/ContextMenu.h"
#include "editing/MenuTree.h"
#include "render/DocumentPicture.h"
#include "render/SignStills.h"
#include "strings/SignCharset.h"
#include "strings/WindowTexts.h"
#include "ui/bridge/Clipboard.h"
#include "ui/bridge/QtBridge.h"
#include "ui/frame/LumavoxDoc.h"

namespace lumavox::ui {

namespace {
constexpr int kCaretBlinkMs = 500;
constexpr QColor kBackground{212, 208, 200};
}  // namespace

CLumavoxView::CLumavoxView(EditorContext& context, std::unique_ptr<CLumavoxDoc> doc,
                           QWidget* parent)
    : QAbstractScrollArea(parent),
      context_(context),
      doc_(std::move(doc)),
      editor_(doc_->document()) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    caretTimer_.setInterval(kCaretBlinkMs);
    connect(&caretTimer_, &QTimer::timeout, this, [this] {
        caretOn_ = !caretOn_;
        viewport()->update();
    });
    docConnection_ = connect(doc_.get(), &CLumavoxDoc::changed, this,
                             [this](unsigned changes) { onDocumentChanged(changes); });
    // Big signs get smaller dots so that a screen stays on the desktop.
    const int width = std::max(doc_->document().work().signWidth, 1);
    setDotSize(std::clamp(960 / width, 1, 4));
}

CLumavoxView::~CLumavoxView() {
    disconnect(docConnection_);
}

void CLumavoxView::setEditState(int editMode, bool editable) {
    editMode_ = editMode;
    editor_.setEditable(editable);
}

void CLumavoxView::setDotSize(int dot) {
    dot_ = std::clamp(dot, 1, kMaxDotSize);
    updateScrollBars();
    viewport()->update();
}

uint8_t CLumavoxView::defaultFont() {
    ensureFonts();
    return static_cast<uint8_t>(
        fonts_.IsLoaded() ? defaultFontIndex(fonts_, context_.defaultFontName) : 1);
}

void CLumavoxView::ensureFonts() {
    if (fontsTried_) return;
    fontsTried_ = true;
    QtPrompter prompter(this);
    const FontFileCheck check =
        checkFontFile(context_.environment.dataDir, doc_->document().work().signHeight, &prompter);
    if (check.status == FontFileStatus::Ok)
        fonts_.Load(check.path, &prompter);
    else
        prompter.message(fontFileCheckMessage(check), Icon::Exclamation);
    editor_.setFonts(fonts_.IsLoaded() ? &fonts_ : nullptr);
    rebuild();
    // The property bar lists the fonts now that they are there.
    emit stateChanged();
}

void CLumavoxView::showEvent(QShowEvent* event) {
    QAbstractScrollArea::showEvent(event);
    ensureFonts();
    caretTimer_.start();
}

void CLumavoxView::onDocumentChanged(unsigned changes) {
    if (changes & (kChangedItems | kChangedFiles | kChangedCurrentFile)) rebuild();
    emit stateChanged();
}

void CLumavoxView::rebuild() {
    const EditorDocument& d = doc_->document();
    const TextFile* file = d.currentFile();
    if (!file) {
        picture_ = EditPicture{};
        updateScrollBars();
        viewport()->update();
        return;
    }
    EditPictureOptions options;
    options.mode = context_.mode();
    options.defaultFont =
        fonts_.IsLoaded() ? defaultFontIndex(fonts_, context_.defaultFontName) : 1;
    options.defaultColour = defaultColour(context_.mode());
    options.now = context_.clock->localNow();
    const TextEditor::Range selection = editor_.selection();
    options.selectionBegin = static_cast<int>(selection.first);
    options.selectionEnd = static_cast<int>(selection.last);
    picture_.build(d.work(), *file, fonts_, options);
    updateScrollBars();
    viewport()->update();
}

QPoint CLumavoxView::pictureOrigin() const {
    return {kMargin - horizontalScrollBar()->value(), kMargin - verticalScrollBar()->value()};
}

void CLumavoxView::updateScrollBars() {
    const QSize area = viewport()->size();
    int width = picture_.image().width() * dot_ + 2 * kMargin;
    int height = picture_.image().height() * dot_ + 2 * kMargin;
    if (showsAreas()) {
        width = doc_->document().work().signWidth * dot_ + 2 * kMargin;
        height = doc_->document().work().signHeight * dot_ + 2 * kMargin;
    }
    horizontalScrollBar()->setRange(0, std::max(0, width - area.width()));
    horizontalScrollBar()->setPageStep(area.width());
    horizontalScrollBar()->setSingleStep(dot_ * 8);
    verticalScrollBar()->setRange(0, std::max(0, height - area.height()));
    verticalScrollBar()->setPageStep(area.height());
    verticalScrollBar()->setSingleStep(dot_ * std::max(picture_.signHeight(), 1) / 2 + 1);
}

void CLumavoxView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void CLumavoxView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), kBackground);
    const QPoint origin = pictureOrigin();
    if (showsAreas()) {
        paintAreas(painter, origin);
        return;
    }
    const RgbImage& image = picture_.image();
    if (picture_.tooLarge()) {
        painter.drawText(viewport()->rect().adjusted(kMargin, kMargin, -kMargin, -kMargin),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                         qtext(msg::kSignTooLargeToShow));
        return;
    }
    if (image.empty()) return;
    const QRect target(origin, QSize(image.width() * dot_, image.height() * dot_));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, asQImage(image));
    paintCuts(painter, origin);
    if (caretOn_ && hasFocus() && editor_.editable()) {
        const Rect c = picture_.caretRect(static_cast<int>(editor_.caret()));
        const int width = editor_.overwrite() ? std::max(dot_ * 2, 2) : std::max(dot_ / 2, 2);
        painter.fillRect(QRect(origin.x() + c.x * dot_ - width / 2, origin.y() + c.y * dot_, width,
                               c.height * dot_),
                         QColor(255, 255, 255));
    }
}

// Red marks where the sign cuts a row (over its right edge and in the margin
// beside it) or a screen (along its bottom edge and in the gap below).
void CLumavoxView::paintCuts(QPainter& painter, QPoint origin) {
    const QColor red(230, 0, 0);
    const int signRight = origin.x() + picture_.signWidth() * dot_;
    const int thick = std::max(dot_, 3);
    for (const EditCut& cut : picture_.cuts()) {
        if (cut.side == EditCut::Right) {
            const int top = origin.y() + cut.top * dot_;
            const int height = std::max(cut.height * dot_, 2);
            painter.fillRect(QRect(signRight - thick / 2, top, thick, height), red);
            // An arrow in the margin points at the cut.
            const QPoint tip(signRight + thick / 2 + 1, top + height / 2);
            const QPoint arrow[] = {tip, tip + QPoint(kMargin - 2, -(kMargin / 2)),
                                    tip + QPoint(kMargin - 2, kMargin / 2)};
            painter.setPen(Qt::NoPen);
            painter.setBrush(red);
            painter.drawPolygon(arrow, 3);
        } else {
            const int bottom = origin.y() + (cut.top + 1) * dot_;
            painter.fillRect(QRect(origin.x(), bottom - thick / 2, signRight - origin.x(), thick),
                             red);
        }
    }
}

std::optional<int> CLumavoxView::caretRowWidth() const {
    if (picture_.tooLarge() || !doc_->document().currentFile()) return std::nullopt;
    return picture_.rowWidth(static_cast<int>(editor_.caret()));
}

void CLumavoxView::setWindowSession(WindowEditSession* session) {
    window_ = session;
    updateScrollBars();
    viewport()->update();
    emit stateChanged();
}

// The window editor's picture: the dark sign with every area outlined, the
// selected one filled, each labelled with its place in the display order.
void CLumavoxView::paintAreas(QPainter& painter, QPoint origin) {
    const WorkArea& work = doc_->document().work();
    const QRect sign(origin, QSize(work.signWidth * dot_, work.signHeight * dot_));
    painter.fillRect(sign, Qt::black);
    const WindowControl& control = window_->control();
    const std::optional<size_t> selected = window_->selected();
    const QColor outline[] = {QColor(255, 64, 64), QColor(64, 255, 64), QColor(255, 255, 64)};
    QFont font = painter.font();
    font.setPixelSize(std::clamp(dot_ * 4, 9, 14));
    painter.setFont(font);
    for (size_t i = 0; i < control.areas.size(); ++i) {
        const AreaRect r = areaRect(control.areas[i]);
        const QRect rect(origin.x() + r.left * dot_, origin.y() + r.top * dot_,
                         (r.right - r.left) * dot_, (r.bottom - r.top) * dot_);
        const QColor colour = outline[i % 3];
        if (selected && *selected == i)
            painter.fillRect(rect, QColor(colour.red() / 3, colour.green() / 3, colour.blue() / 3));
        painter.setPen(QPen(colour, 1));
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        painter.drawText(rect.adjusted(2, 1, -1, -1), Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("Win %1 [%2]").arg(i + 1).arg(control.areas[i].order + 1));
    }
}

void CLumavoxView::areaClick(QPoint point) {
    const QPoint origin = pictureOrigin();
    const int x = (point.x() - origin.x()) / std::max(dot_, 1);
    const int y = (point.y() - origin.y()) / std::max(dot_, 1);
    const std::optional<size_t> area = window_->areaAt(x, y);
    if (window_->orderPassActive())
        window_->clickArea(area);
    else
        window_->select(area);
    viewport()->update();
    emit stateChanged();
}

bool CLumavoxView::areaKey(QKeyEvent* event) {
    std::optional<WindowEditor::Direction> direction;
    switch (event->key()) {
        case Qt::Key_Left:
            direction = WindowEditor::Direction::Left;
            break;
        case Qt::Key_Right:
            direction = WindowEditor::Direction::Right;
            break;
        case Qt::Key_Up:
            direction = WindowEditor::Direction::Up;
            break;
        case Qt::Key_Down:
            direction = WindowEditor::Direction::Down;
            break;
        case Qt::Key_Tab:
            window_->selectNext();
            viewport()->update();
            emit stateChanged();
            return true;
        default:
            return false;
    }
    if (!window_->move(*direction)) QApplication::beep();
    viewport()->update();
    emit stateChanged();
    return true;
}

void CLumavoxView::restartCaret() {
    caretOn_ = true;
    if (isVisible()) caretTimer_.start();
    viewport()->update();
}

void CLumavoxView::ensureCaretVisible() {
    const Rect c = picture_.caretRect(static_cast<int>(editor_.caret()));
    const int top = c.y * dot_;
    const int bottom = (c.y + c.height) * dot_ + 2 * kMargin;
    QScrollBar* v = verticalScrollBar();
    if (top < v->value()) v->setValue(top);
    if (bottom > v->value() + viewport()->height()) v->setValue(bottom - viewport()->height());
    const int x = c.x * dot_;
    QScrollBar* h = horizontalScrollBar();
    if (x < h->value()) h->setValue(x);
    if (x + 2 * kMargin > h->value() + viewport()->width())
        h->setValue(x + 2 * kMargin - viewport()->width());
}

std::optional<int> CLumavoxView::screenAt(QPoint point) const {
    const QPoint origin = pictureOrigin();
    const int x = (point.x() - origin.x());
    const int y = (point.y() - origin.y());
    if (x < 0 || y < 0 || x >= picture_.signWidth() * dot_) return std::nullopt;
    const int screen = picture_.screenAt(y / dot_);
    if (screen < 0) return std::nullopt;
    return screen + 1;
}

int CLumavoxView::itemAt(QPoint point) const {
    const QPoint origin = pictureOrigin();
    const int x = (point.x() - origin.x()) / dot_;
    const int y = std::max(0, (point.y() - origin.y()) / dot_);
    return picture_.hitTest(x, y);
}

SignTextPainter& CLumavoxView::textPainter(const std::string& family) {
    ensureFonts();
    const int height = doc().document().work().signHeight;
    if (!painter_ || painter_->signHeight() != height || painter_->family() != family)
        painter_ = std::make_unique<SignTextPainter>(context_.mode(), &fonts_, height, family);
    return *painter_;
}

void CLumavoxView::typeText(const QString& text) {
    bool changed = false;
    // Characters the font lacks are gathered and drawn as one graphic.
    std::u32string lacking;
    auto drawLacking = [&] {
        if (lacking.empty()) return;
        std::string refusal;
        if (editor_.typeDrawn(lacking, textPainter(), refusal))
            changed = true;
        else if (!refusal.empty())
            showMessage(this, refusal, Icon::Exclamation);
        else
            QApplication::beep();
        lacking.clear();
    };
    for (char32_t u : text.toUcs4()) {
        if (u < 32 && u != '\t') continue;
        const int code = u == '\t' ? '\t' : charset::signCodeOf(u);
        if (code >= 0) {
            drawLacking();  // first what came before, in order
            if (editor_.type(static_cast<uint16_t>(code))) {
                changed = true;
                continue;
            }
        }
        if (!editor_.editable()) {
            QApplication::beep();
            continue;
        }
        lacking.push_back(u);
    }
    drawLacking();
    if (changed) {
        ensureCaretVisible();
        restartCaret();
    }
}

void CLumavoxView::keyPressEvent(QKeyEvent* event) {
    if (showsAreas()) {
        if (!areaKey(event)) QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    // Alt with a key belongs to the menus (mnemonics), never to the text.
    const bool alt = event->modifiers() & Qt::AltModifier;
    std::optional<TextEditor::Move> move;
    switch (event->key()) {
        case Qt::Key_Left:
            move = TextEditor::Move::Left;
            break;
        case Qt::Key_Right:
            move = TextEditor::Move::Right;
            break;
        case Qt::Key_Up:
            move = TextEditor::Move::Up;
            break;
        case Qt::Key_Down:
            move = TextEditor::Move::Down;
            break;
        case Qt::Key_Home:
            move = control ? TextEditor::Move::FileStart : TextEditor::Move::Home;
            break;
        case Qt::Key_End:
            move = control ? TextEditor::Move::FileEnd : TextEditor::Move::End;
            break;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            verticalScrollBar()->triggerAction(event->key() == Qt::Key_PageUp
                                                   ? QAbstractSlider::SliderPageStepSub
                                                   : QAbstractSlider::SliderPageStepAdd);
            {
                const Rect c = picture_.caretRect(static_cast<int>(editor_.caret()));
                const QPoint p(
                    pictureOrigin().x() + c.x * dot_,
                    event->key() == Qt::Key_PageUp ? kMargin : viewport()->height() - kMargin);
                editor_.setCaret(static_cast<size_t>(std::max(itemAt(p), 0)), shift);
                rebuild();
                restartCaret();
                emit stateChanged();
            }
            return;
        case Qt::Key_Insert:
            if (event->modifiers() == Qt::NoModifier) {
                editor_.toggleOverwrite();
                restartCaret();
                emit stateChanged();
                return;
            }
            break;
        case Qt::Key_Backspace:
            if (event->modifiers() == Qt::NoModifier || shift) {
                if (!editor_.backspace()) QApplication::beep();
                ensureCaretVisible();
                restartCaret();
                return;
            }
            break;
        case Qt::Key_Delete:
            if (event->modifiers() == Qt::NoModifier) {
                if (!editor_.deleteForward()) QApplication::beep();
                restartCaret();
                return;
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (alt) break;
            // Enter ends the row; Ctrl+Enter also ends the screen (a new page).
            if (!editor_.type(control ? kLF : kCR)) QApplication::beep();
            ensureCaretVisible();
            restartCaret();
            return;
        default:
            break;
    }
    if (move) {
        RowMap rows = rowMapFromScreens(picture_.layoutScreens());
        const TextEditor::Range before = editor_.selection();
        editor_.move(*move, shift, &rows);
        const TextEditor::Range after = editor_.selection();
        if (before.first != after.first || before.last != after.last) rebuild();
        ensureCaretVisible();
        restartCaret();
        emit stateChanged();
        return;
    }
    if (!control && !alt && !event->text().isEmpty() && event->text().at(0).isPrint()) {
        typeText(event->text());
        return;
    }
    if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::NoModifier) {
        typeText(QStringLiteral("\t"));
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CLumavoxView::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty()) typeText(event->commitString());
    event->accept();
}

bool CLumavoxView::focusNextPrevChild(bool) {
    return false;
}

void CLumavoxView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    if (showsAreas()) {
        areaClick(event->position().toPoint());
        return;
    }
    const int index = itemAt(event->position().toPoint());
    if (index < 0) return;
    editor_.setCaret(static_cast<size_t>(index), event->modifiers() & Qt::ShiftModifier);
    selecting_ = true;
    rebuild();
    restartCaret();
    emit stateChanged();
}

void CLumavoxView::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void CLumavoxView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    const int screen = screenAt(point).value_or(0);
    if (screen != lastScreen_) {
        lastScreen_ = screen;
        emit pointerScreen(screen);
    }
    if (selecting_ && (event->buttons() & Qt::LeftButton)) {
        const int index = itemAt(point);
        if (index >= 0 && static_cast<size_t>(index) != editor_.caret()) {
            editor_.setCaret(static_cast<size_t>(index), true);
            rebuild();
            restartCaret();
            emit stateChanged();
        }
    } else {
        selecting_ = false;
    }
}

void CLumavoxView::leaveEvent(QEvent* event) {
    QAbstractScrollArea::leaveEvent(event);
    if (lastScreen_ != 0) {
        lastScreen_ = 0;
        emit pointerScreen(0);
    }
}

void CLumavoxView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    restartCaret();
}

void CLumavoxView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

namespace {
void addEntries(QMenu* menu, const std::vector<ContextMenuEntry>& entries) {
    for (const ContextMenuEntry& e : entries) {
        switch (e.kind) {
            case ContextMenuEntry::Separator:
                menu->addSeparator();
                break;
            case ContextMenuEntry::Popup:
                addEntries(menu->addMenu(qs(e.text)), e.items);
                break;
            case ContextMenuEntry::Command: {
                QAction* a = menu->addAction(qs(e.text));
                a->setData(e.command);
                a->setEnabled(e.enabled);
                if (e.checked) {
                    a->setCheckable(true);
                    a->setChecked(true);
                }
                break;
            }
        }
    }
}
}  // namespace

void CLumavoxView::contextMenuEvent(QContextMenuEvent* event) {
    if (!editor_.editable() || showsAreas()) return;
    ContextMenuState state;
    state.editMode = editMode_;
    state.family = context_.mode();
    state.fonts = fonts_.IsLoaded() ? &fonts_ : nullptr;
    state.inForce = editor_.shownAttributes();
    state.itemAtCaret = editor_.itemAtCaret();
    state.selection = editor_.hasSelection();
    state.canPaste = clipboardHasText() || clipboardHasItems();
    QMenu menu(this);
    addEntries(&menu, editViewContextMenu(state));
    QAction* chosen = menu.exec(event->globalPos());
    if (!chosen) return;
    const int id = chosen->data().toInt();
    const ContextChoice choice =
        contextChoice(id, std::max(fonts_.FontCount(), 0), context_.mode());
    switch (choice.what) {
        case ContextChoice::Font:
        case ContextChoice::Colour:
        case ContextChoice::Property:
            applyContextChoice(editor_, choice);
            emit stateChanged();
            break;
        case ContextChoice::EditItem:
            emit command(cmd::kEditItem);
            break;
        case ContextChoice::EndEditWindowText:
            emit command(cmd::kEndEditWindowText);
            break;
        case ContextChoice::None:
            emit command(id);
            break;
    }
}

void CLumavoxView::selectAll() {
    editor_.selectAll();
    rebuild();
    restartCaret();
    emit stateChanged();
}

void CLumavoxView::copyToClipboard() {
    const ClipboardPayload payload = editor_.copy();
    if (payload.hasItems() || payload.hasText()) putOnClipboard(payload);
    emit stateChanged();
}

void CLumavoxView::cutToClipboard() {
    const ClipboardPayload payload = editor_.cut();
    if (payload.hasItems() || payload.hasText()) putOnClipboard(payload);
    ensureCaretVisible();
    emit stateChanged();
}

void CLumavoxView::pasteFromClipboard() {
    QtPrompter prompter(this);
    if (!editor_.paste(takeFromClipboard(), prompter)) QApplication::beep();
    ensureCaretVisible();
    restartCaret();
    emit stateChanged();
}

}  // namespace lumavox::ui
