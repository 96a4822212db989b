// The "Draw Graphic" window: the drawing tool bar above the graphic's dots,
// drawn dot x dot pixels a dot with the preview's grid and scrolled when they
// do not fit. Mouse events become calls of the engine's GraphicEditSession;
// this file only turns pixels into dots and dots into pixels.
#pragma once

#include <QImage>
#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "editing/GraphicEdit.h"

class QActionGroup;
class QComboBox;
class QFileDialog;
class QMenu;
class QScrollArea;
class QToolBar;

namespace lumavox::ui {

// The canvas: the graphic's dots, the selection and the select tool's band.
class CGraphicView : public QWidget {
    Q_OBJECT
  public:
    // The canvas owns the session it draws: Qt deletes it with the window's
    // other child widgets, after the window's own members.
    explicit CGraphicView(std::unique_ptr<GraphicEditSession> session, QWidget* parent = nullptr);

    GraphicEditSession& session() { return *session_; }

    int dotSize() const { return dot_; }
    void setDotSize(int dot);
    // The dot under a widget position (may lie outside the canvas).
    DotPoint dotAt(QPoint pos) const;
    // The widget pixel of a dot's top-left corner.
    QPoint pixelOf(DotPoint dot) const { return {dot.x * dot_ + 1, dot.y * dot_ + 1}; }
    // Redraws the dots of `dots` (all of them when empty) into the picture.
    void refresh(Rect dots = {});
    // The picture as painted (dots and grid, without the selection marks).
    const QImage& picture() const { return picture_; }

  signals:
    void cursorDot(std::optional<DotPoint> dot);
    void contextMenuAt(QPoint globalPos);
    // The canvas changed in a way that undo or the frame's commands care about.
    void edited();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The arrow keys move the selection a dot (with Shift eight dots).
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    QSize sizeHint() const override;

  private:
    void repaintDots(Rect dots);
    void updateCursor(DotPoint dot);

    std::unique_ptr<GraphicEditSession> session_;
    int dot_ = 4;
    QImage picture_;
};

// The graphic editor's window in the work area.
class CGraphicFrame : public QMdiSubWindow {
    Q_OBJECT
  public:
    CGraphicFrame(const GraphicFile& graphic, uint8_t colourType, QWidget* parent = nullptr);
    ~CGraphicFrame() override;

    GraphicEditSession& session() { return *session_; }
    CGraphicView& view() { return *view_; }
    QToolBar* drawToolBar() const { return toolBar_; }
    QComboBox* penWidthBox() const { return penWidth_; }
    QComboBox* fillModeBox() const { return fillMode_; }
    QComboBox* penColourBox() const { return penColour_; }
    QComboBox* fillColourBox() const { return fillColour_; }
    QAction* toolAction(int tool) const;

    // ---- Commands of the graphic editor ----
    void undo();
    void redo();
    void copy();
    void cut();
    void paste();
    void deleteSelection();
    // Asks for a BMP file and places it as a floating selection at the
    // top-left of the visible area. False when nothing was imported.
    bool importBmp();
    bool importBmp(const QString& path);
    bool exportBmp();
    bool exportBmp(const QString& path);
    // The top-left dot of the visible part of the canvas.
    DotPoint visibleTopLeft() const;
    // The context menu of the right button (texts of the string table).
    QMenu* contextMenu() const { return menu_; }

    // The file dialog of export (`save`, BMP) or import (BMP first, then every
    // picture format the import reads), its file name "*.BMP"; the caller owns it.
    QFileDialog* makeFileDialog(bool save);
    // The file dialogs; tests answer them themselves. `save` tells export from
    // import; an empty answer cancels.
    using FileQuestion = std::function<QString(bool save)>;
    void setFileQuestion(FileQuestion question) { fileQuestion_ = std::move(question); }
    // Runs a command of the frame's menus (context menu entries).
    void setCommandRunner(std::function<void(int)> runner) { runner_ = std::move(runner); }

  signals:
    void cursorDot(std::optional<DotPoint> dot);
    void changed();
    // The user closed the window: the owner stores the graphic first.
    void closing();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildToolBar();
    void buildContextMenu();
    void syncToolBar();
    void afterChange(Rect dots = {});

    // The canvas's session.
    GraphicEditSession* session_ = nullptr;
    CGraphicView* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QActionGroup* tools_ = nullptr;
    QComboBox* penWidth_ = nullptr;
    QComboBox* fillMode_ = nullptr;
    QComboBox* penColour_ = nullptr;
    QComboBox* fillColour_ = nullptr;
    QMenu* menu_ = nullptr;
    FileQuestion fileQuestion_;
    std::function<void(int)> runner_;
};

// Dots as a screen picture (one pixel a dot), and back: every pixel mapped to
// the nearest colour of the palette.
QImage dotsToImage(const DotImage& dots);
DotImage imageToDots(const QImage& image, std::span<const uint32_t> palette);

}  // namespace lumavox::ui
