// The edit view: the current text file drawn as the sign cuts it into screens,
// with the sign's fonts and colours, dot by dot, and a caret. Typing, caret
// movement, selection, the clipboard and the context menu work through the
// engine's edit model; the view only turns events into its calls and paints.
#pragma once

#include <QAbstractScrollArea>
#include <QTimer>
#include <memory>
#include <optional>

#include "editing/TextEditor.h"
#include "editing/WindowEditSession.h"
#include "render/EditPicture.h"
#include "render/FontSet.h"
#include "render/TextDots.h"
#include "ui/frame/EditorContext.h"

namespace lumavox::ui {

class CLumavoxDoc;

class CLumavoxView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    // Pixels of margin around the screens.
    static constexpr int kMargin = 8;

    // The view owns the document it shows: the document outlives the editor
    // and everything else of the view that listens to it.
    CLumavoxView(EditorContext& context, std::unique_ptr<CLumavoxDoc> doc,
                 QWidget* parent = nullptr);
    ~CLumavoxView() override;

    CLumavoxDoc& doc() { return *doc_; }
    TextEditor& editor() { return editor_; }
    const FontSet& fonts() const { return fonts_; }
    // Draws what the view's fonts lack, for typing and "Text as Graphic...":
    // in `family` (empty: automatic), at the sign's height for the view's fonts.
    SignTextPainter& textPainter(const std::string& family = {});
    const EditPicture& picture() const { return picture_; }

    // The program's mode and whether it lets this view change its text.
    void setEditState(int editMode, bool editable);
    int editMode() const { return editMode_; }
    // The window editor on a window control of this view's file (edit mode
    // 1): the view shows the sign with the control's areas instead of the
    // text. Null ends it.
    void setWindowSession(WindowEditSession* session);
    WindowEditSession* windowSession() const { return window_; }

    // Pixels per sign dot.
    int dotSize() const { return dot_; }
    void setDotSize(int dot);
    // Loads the font file the sign height needs (once; also done on first show).
    void ensureFonts();
    // The program's default font in this view's font file (1 while none is
    // loaded): the font of a new file's end-of-text marker.
    uint8_t defaultFont();
    // The sign screen (from 1) under a point of the viewport, or nullopt.
    std::optional<int> screenAt(QPoint viewportPoint) const;
    // The caret index for a point of the viewport.
    int itemAt(QPoint viewportPoint) const;

    // The width in dots of the caret's row (see EditPicture::rowWidth).
    std::optional<int> caretRowWidth() const;

    // Clipboard commands of the Edit menu, and Select All.
    void selectAll();
    void copyToClipboard();
    void cutToClipboard();
    void pasteFromClipboard();

  signals:
    // Caret, selection, typing mode or content changed: the frame refreshes the
    // property bar, the status panes and the commands.
    void stateChanged();
    // The sign screen under the mouse pointer (0: none).
    void pointerScreen(int screen);
    // A command chosen in the context menu that the frame performs.
    void command(int id);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

  private:
    void rebuild();
    void updateScrollBars();
    void ensureCaretVisible();
    void restartCaret();
    QPoint pictureOrigin() const;
    void typeText(const QString& text);
    void onDocumentChanged(unsigned changes);
    bool showsAreas() const { return window_ && window_->editMode() == 1; }
    void paintAreas(QPainter& painter, QPoint origin);
    void paintCuts(QPainter& painter, QPoint origin);
    bool areaKey(QKeyEvent* event);
    void areaClick(QPoint viewportPoint);

    EditorContext& context_;
    // Before every member that refers to the document, so that it is
    // destroyed after them.
    std::unique_ptr<CLumavoxDoc> doc_;
    TextEditor editor_;
    FontSet fonts_;
    std::unique_ptr<SignTextPainter> painter_;
    bool fontsTried_ = false;
    EditPicture picture_;
    int dot_ = 4;
    int editMode_ = 0;
    QTimer caretTimer_;
    bool caretOn_ = true;
    bool selecting_ = false;
    int lastScreen_ = 0;
    QMetaObject::Connection docConnection_;
    WindowEditSession* window_ = nullptr;
};

}  // namespace lumavox::ui
