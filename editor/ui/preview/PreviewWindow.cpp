#include "ui/preview/PreviewWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "content/Vocabulary.h"
#include "render/DocumentPicture.h"
#include "render/SignStills.h"
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
        QMetaObject::invokeMethod(
            &window_, [w = &window_, text] { w->status_->setText(qs(text)); },
            Qt::QueuedConnection);
    }

  private:
    PreviewWindow& window_;
    RealTimeWait wait_;
};

// The simulated sign: every dot kDot x kDot pixels with the grid.
class PreviewWindow::Canvas : public QWidget {
  public:
    explicit Canvas(PreviewWindow& window) : window_(window) {}
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(),
                         QColor(kSeparatorColour.r, kSeparatorColour.g, kSeparatorColour.b));
        const RgbImage& picture = window_.picture_;
        if (picture.empty()) return;
        // The grid is drawn like the renderer's pictures.
        dotted_ = dotPicture({picture}, kDot);
        painter.drawImage(QPoint(kMargin, kMargin), asQImage(dotted_));
    }

  private:
    PreviewWindow& window_;
    RgbImage dotted_;
};

PreviewWindow::PreviewWindow(CMainFrame& frame, WorkArea work, std::string fileName,
                             QWidget* parent)
    : QWidget(parent, Qt::Window),
      frame_(frame),
      work_(std::move(work)),
      file_(std::move(fileName)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Preview - %1").arg(qs(file_)));
    picture_ = RgbImage(std::max(work_.signWidth, 1), std::max(work_.signHeight, 1));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    canvas_ = new Canvas(*this);
    canvas_->setFixedSize(picture_.width() * kDot + 2 * kMargin,
                          picture_.height() * kDot + 2 * kMargin);
    scroll->setWidget(canvas_);
    scroll->horizontalScrollBar()->setSingleStep(kDot * 8);
    scroll->verticalScrollBar()->setSingleStep(kDot * 8);
    layout->addWidget(scroll, 1);
    status_ = new QLabel(this);
    layout->addWidget(status_);
    // Small signs show whole; big ones get scroll bars within the desktop.
    resize(std::min(canvas_->width() + 24, 1200), std::min(canvas_->height() + 48, 800));

    host_ = std::make_unique<Host>(*this);
    std::string error;
    QtPrompter prompter(this);
    if (!previewableSign(work_) ||
        !loadSignFonts(frame.context().programDir, work_.signHeight, fonts_, error, &prompter)) {
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
        canvas_->update();
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

void PreviewWindow::closeEvent(QCloseEvent* event) {
    ClosePreview();
    frame_.previewClosed();
    event->accept();
}

}  // namespace lumavox::ui
