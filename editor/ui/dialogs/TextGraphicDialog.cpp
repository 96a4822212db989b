#include "ui/dialogs/TextGraphicDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QVBoxLayout>

#include "content/Model.h"
#include "render/TextDots.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"
#include "strings/TextGraphicTexts.h"
#include "ui/bridge/QtBridge.h"

namespace lumavox::ui {

namespace {

// Dots of the preview, in screen pixels.
constexpr int kPreviewDot = 4;

QColor colourOf(uint32_t pixel) {
    return QColor(static_cast<int>(pixel & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
                  static_cast<int>((pixel >> 16) & 0xFF));
}

}  // namespace

CTextGraphicDlg::CTextGraphicDlg(
    std::function<SignTextPainter&(const std::string& family)> painterFor, int rows, uint32_t lit,
    std::function<std::string(const std::u32string& text, const std::string& family)> insert,
    QWidget* parent)
    : QDialog(parent),
      painterFor_(std::move(painterFor)),
      rows_(rows),
      lit_(lit),
      insert_(std::move(insert)),
      text_(new QLineEdit(this)),
      font_(new QComboBox(this)),
      preview_(new QLabel(this)),
      size_(new QLabel(this)) {
    setWindowTitle(qs(text(msg::kTextGraphicTitle)));
    font_->addItem(qs(text(msg::kTextGraphicAutoFont)), QString());
    for (const std::string& family : TextDrawer::families())
        font_->addItem(qs(family), qs(family));
    preview_->setMinimumSize(320, rows_ * kPreviewDot + 8);
    preview_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    preview_->setStyleSheet("background: black");

    auto* form = new QFormLayout;
    form->addRow(qs(text(msg::kTextGraphicText)), text_);
    form->addRow(qs(text(msg::kTextGraphicFont)), font_);
    form->addRow(qs(text(msg::kTextGraphicPreview)), preview_);
    form->addRow(QString(), size_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CTextGraphicDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(text_, &QLineEdit::textChanged, this, [this] { redraw(); });
    connect(font_, &QComboBox::currentIndexChanged, this, [this] { redraw(); });
    redraw();
}

std::string CTextGraphicDlg::family() const {
    return ss(font_->currentData().toString());
}

void CTextGraphicDlg::redraw() {
    const std::u32string wanted = text_->text().toStdU32String();
    DrawnText drawn;
    char32_t missing = 0;
    if (wanted.empty() || !painterFor_(family()).paint(wanted, rows_, drawn, missing)) {
        preview_->setPixmap(QPixmap());
        size_->clear();
        return;
    }
    QImage image(drawn.width * kPreviewDot, drawn.height * kPreviewDot, QImage::Format_RGB32);
    image.fill(Qt::black);
    const QColor on = colourOf(lit_);
    const QColor off(40, 40, 40);
    for (int y = 0; y < drawn.height; ++y)
        for (int x = 0; x < drawn.width; ++x) {
            const bool lit = drawn.dots[static_cast<size_t>(y * drawn.width + x)] != 0;
            for (int dy = 0; dy < kPreviewDot - 1; ++dy)
                for (int dx = 0; dx < kPreviewDot - 1; ++dx)
                    image.setPixelColor(x * kPreviewDot + dx, y * kPreviewDot + dy, lit ? on : off);
        }
    preview_->setPixmap(QPixmap::fromImage(image));
    size_->setText(qs(textf(msg::kTextGraphicSize, {drawn.width, drawn.height})));
}

void CTextGraphicDlg::accept() {
    const std::u32string wanted = text_->text().toStdU32String();
    if (wanted.empty()) {
        showMessage(this, text(msg::kTextGraphicEmpty), Icon::Exclamation);
        return;
    }
    const std::string refusal = insert_(wanted, family());
    if (!refusal.empty()) {
        showMessage(this, refusal, Icon::Exclamation);
        return;
    }
    QDialog::accept();
}

}  // namespace lumavox::ui
