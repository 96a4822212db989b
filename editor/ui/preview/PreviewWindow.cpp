#include "ui/preview/PreviewWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <tuple>

#include "content/Vocabulary.h"
#include "render/DocumentPicture.h"
#include "render/SignStills.h"
#include "strings/StringTable.h"
#include "ui/bridge/QtBridge.h"
#include "ui/frame/MainFrame.h"

namespace lumavox::ui {

// The player's side: real-time waits, pictures into the frame buffer, beeps
// and messages queued to the window's thread.
class PreviewWindow::Host : public PreviewHost {
  public:
    explicit Host(PreviewWindow& window) : window_(window), wait_(window.flags_.stop) {}
    bool Wait(int ms) override { return wait_.wait(ms); }
    void frameReady(const RgbImage& displayed) override {
        window_.buffer_.publish(displayed);
        QMetaObject::invokeMethod(
            &window_, [w = &window_] { w->takeFrame(); }, Qt::QueuedConnection);
    }
    void beep(int count) override {
        QMetaObject::invokeMethod(
            &window_,
            [count] {
                for (int i = 0; i < count; ++i)
                    QApplication::beep();
            },
            Qt::QueuedConnection);
    }
    void message(const std::string& text) override {
        // The box waits for the user on the window's thread; the player goes
        // on and can still be stopped meanwhile.
        QMetaObject::invokeMethod(
            &window_, [w = &window_, text] { openMessage(w, text, Icon::Exclamation); },
            Qt::QueuedConnection);
    }

  private:
    PreviewWindow& window_;
    RealTimeWait wait_;
};

// The simulated sign: the visible dots kDot x kDot pixels each with the
// grid, at the margins; the scroll bars count dots.
class PreviewWindow::Canvas : public QAbstractScrollArea {
  public:
    explicit Canvas(PreviewWindow& window) : QAbstractScrollArea(&window), window_(window) {
        setFrameShape(QFrame::NoFrame);
        viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    }

    // Visible part, scroll ranges and steps for the viewport's size.
    void updateViewport() {
        const RgbImage& picture = window_.picture_;
        view_ = previewViewport(picture.width(), picture.height(), viewport()->width(),
                                viewport()->height(), kDot, kMargin);
        for (auto [bar, max, line, page] :
             {std::tuple{horizontalScrollBar(), view_.maxX, view_.lineX, view_.pageX},
              std::tuple{verticalScrollBar(), view_.maxY, view_.lineY, view_.pageY}}) {
            bar->setRange(0, max);
            bar->setSingleStep(line);
            bar->setPageStep(page);
            bar->setEnabled(max > 0);
        }
        viewport()->update();
    }

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QAbstractScrollArea::resizeEvent(event);
        updateViewport();
    }
    void scrollContentsBy(int, int) override { viewport()->update(); }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(viewport());
        painter.fillRect(viewport()->rect(),
                         QColor(kSeparatorColour.r, kSeparatorColour.g, kSeparatorColour.b));
        const RgbImage& picture = window_.picture_;
        if (picture.empty()) return;
        // Only the dots on screen are scaled, each frame.
        const Rect part{horizontalScrollBar()->value(), verticalScrollBar()->value(), view_.columns,
                        view_.rows};
        dotted_ = dotPicturePart(picture, part, kDot);
        if (!dotted_.empty()) painter.drawImage(QPoint(kMargin, kMargin), asQImage(dotted_));
    }

  private:
    PreviewWindow& window_;
    PreviewViewport view_;
    RgbImage dotted_;
};

PreviewWindow::PreviewWindow(CMainFrame& frame, WorkArea work, std::string fileName,
                             QWidget* parent)
    : QWidget(parent, Qt::Window),
      frame_(frame),
      work_(std::move(work)),
      file_(std::move(fileName)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(qtext(msg::kPreviewTitle));
    picture_ = RgbImage(std::max(work_.signWidth, 1), std::max(work_.signHeight, 1));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    canvas_ = new Canvas(*this);
    layout->addWidget(canvas_, 1);
    status_ = new QLabel(this);
    layout->addWidget(status_);
    // The whole sign with its margins when the desktop allows, else as much
    // as fits; centred on the screen.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QSize size(kDot * picture_.width() + 2 * kMargin + 10 + bar,
               kDot * picture_.height() + 2 * kMargin + 10 + bar + status_->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->availableGeometry();
        size = size.boundedTo(QSize(desk.width() - 40, desk.height() - 20));
        resize(size);
        move(desk.center() - rect().center());
    } else {
        resize(size);
    }

    host_ = std::make_unique<Host>(*this);
    std::string error;
    QtPrompter prompter(this);
    if (!previewableSign(work_) || !loadSignFonts(frame.context().environment.dataDir,
                                                  work_.signHeight, fonts_, error, &prompter)) {
        status_->setText(error.empty() ? QStringLiteral("the sign is too large to preview")
                                       : qs(error));
        return;
    }
    startTimer_.setSingleShot(true);
    startTimer_.setInterval(kStartDelayMs);
    connect(&startTimer_, &QTimer::timeout, this, &PreviewWindow::start);
    startTimer_.start();
}

PreviewWindow::~PreviewWindow() {
    ClosePreview();
}

void PreviewWindow::start() {
    if (closed_) return;
    PlayerSettings settings;
    settings.mode = frame_.context().mode();
    settings.defaultFont = defaultFontIndex(fonts_, frame_.context().defaultFontName);
    settings.defaultColour = defaultColour(settings.mode);
    settings.clock = frame_.context().clock;
    settings.now = frame_.context().clock->localNow();
    flags_.stop = false;
    flags_.finished = false;
    worker_ = std::thread([this, settings] {
        PreviewPlayer player(work_, fonts_, settings, *host_, flags_, random_);
        player.play(file_);
        flags_.finished = true;
    });
}

void PreviewWindow::takeFrame() {
    if (buffer_.takeIfNewer(picture_, seen_)) {
        ++shown_;
        canvas_->viewport()->update();
    }
}

void PreviewWindow::ClosePreview() {
    if (closed_) return;
    closed_ = true;
    startTimer_.stop();
    flags_.stop = true;
    // The worker ends within one step; the window keeps answering meanwhile.
    while (worker_.joinable() && !flags_.finished.load())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (worker_.joinable()) worker_.join();
}

QAbstractScrollArea* PreviewWindow::canvas() const {
    return canvas_;
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    ClosePreview();
    frame_.previewClosed();
    event->accept();
}

}  // namespace lumavox::ui
