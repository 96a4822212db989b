// View > Preview: the display simulation in a window of its own. The player
// runs on a worker thread over a copy of the document, in real time, and hands
// each picture over through a frame buffer; the window paints the visible part
// of the latest one dot by dot with the grid, however large the sign. While it
// is open the program is in edit mode 4, which blocks New, Open and every send
// and read command. Esc closes it.
#pragma once

#include <QAbstractScrollArea>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <thread>

#include "content/Model.h"
#include "render/FontSet.h"
#include "render/Image.h"
#include "render/preview/Player.h"
#include "render/preview/PreviewHost.h"
#include "render/preview/PreviewTime.h"

class QLabel;

namespace lumavox::ui {

class CMainFrame;

class PreviewWindow : public QWidget {
    Q_OBJECT
  public:
    // Dot size and the left and top margins of the simulated sign, in pixels.
    static constexpr int kDot = 4;
    static constexpr int kMargin = 10;
    // The player starts this long after the window shows.
    static constexpr int kStartDelayMs = 50;

    // Plays `fileName` of `work`; the fonts are the font file the sign needs.
    PreviewWindow(CMainFrame& frame, WorkArea work, std::string fileName,
                  QWidget* parent = nullptr);
    ~PreviewWindow() override;

    // Stops the player and waits for it while the window's events go on.
    void ClosePreview();
    bool playing() const { return worker_.joinable() && !flags_.finished.load(); }
    uint64_t framesShown() const { return shown_; }
    const RgbImage& picture() const { return picture_; }
    // The scrolled view of the sign (its scroll bars step in dots).
    QAbstractScrollArea* canvas() const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    class Host;
    class Canvas;
    void start();
    void takeFrame();

    CMainFrame& frame_;
    WorkArea work_;
    std::string file_;
    FontSet fonts_;
    PreviewFlags flags_;
    PreviewFrameBuffer buffer_;
    std::unique_ptr<Host> host_;
    SeededRandom random_{20261209};
    std::thread worker_;
    RgbImage picture_;
    uint64_t seen_ = 0;
    uint64_t shown_ = 0;
    Canvas* canvas_;
    QLabel* status_;
    QTimer startTimer_;
    bool closed_ = false;
};

}  // namespace lumavox::ui
