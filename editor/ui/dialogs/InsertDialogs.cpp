#include "ui/dialogs/InsertDialogs.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "app/DialogTexts.h"
#include "content/EditRules.h"
#include "content/Vocabulary.h"
#include "content/WindowLayout.h"
#include "render/FontSet.h"
#include "ui/bridge/QtBridge.h"
#include "ui/dialogs/DialogText.h"

namespace lumavox::ui {

namespace {

template <typename Names>
void addNames(QComboBox* box, const Names& names) {
    for (const auto& n : names)
        box->addItem(qs(std::string(n)));
}

// The layout types offered for each window count: 1, 2, 3, 4, user-defined.
const std::vector<std::vector<int>>& layoutsByCount() {
    static const std::vector<std::vector<int>> layouts = {
        {1}, {2, 3}, {4, 5, 6, 7}, {8}, {kUserDefinedLayout}};
    return layouts;
}

const QSize kLayoutPictureSize(72, 32);

}  // namespace

// ---- One list ------------------------------------------------------------------

CChoiceDlg::CChoiceDlg(const LanguageManager* language, int templateId, const QStringList& choices,
                       int current, Decide decide, QWidget* parent)
    : QDialog(parent), list_(new QComboBox(this)), decide_(std::move(decide)) {
    setWindowTitle(dialogText(language, templateId, 0));
    list_->addItems(choices);
    if (current >= 0 && current < list_->count()) list_->setCurrentIndex(current);
    auto* form = new QFormLayout(this);
    form->addRow(dialogText(language, templateId, kComposeControl), list_);
    form->addRow(okCancelButtons(this, language, templateId));
}

void CChoiceDlg::accept() {
    if (list_->currentIndex() < 0) return;
    if (passesRefusal(this, decide_(list_->currentIndex()))) QDialog::accept();
}

// ---- Move method -----------------------------------------------------------------

CInsertMoveDlg::CInsertMoveDlg(const LanguageManager* language, SignMode mode, Decide decide,
                               QWidget* parent)
    : QDialog(parent),
      in_(new QComboBox(this)),
      out_(new QComboBox(this)),
      decide_(std::move(decide)) {
    setWindowTitle(dialogText(language, kInsertMoveDialog, 0));
    addNames(in_, moveMethodNames(mode));
    addNames(out_, moveOutNames(mode));
    auto* form = new QFormLayout(this);
    form->addRow(dialogText(language, kInsertMoveDialog, kComposeControl), in_);
    form->addRow(dialogText(language, kInsertMoveDialog, kComposeControl + 1), out_);
    form->addRow(okCancelButtons(this, language, kInsertMoveDialog));
}

void CInsertMoveDlg::accept() {
    if (passesRefusal(this, decide_(in_->currentIndex(), out_->currentIndex()))) QDialog::accept();
}

// ---- Window --------------------------------------------------------------------------

QPixmap layoutPicture(int type, QSize size) {
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    const int w = size.width() - 1;
    const int h = size.height() - 1;
    // A user-defined layout starts with one full-sign area; more are added in
    // the window editor (drawn dashed).
    std::vector<AreaRect> areas = presetLayout(type, w, h);
    if (areas.empty()) areas = {{0, 0, w, h}};
    QFont font = painter.font();
    font.setPixelSize(std::max(8, h / 3));
    painter.setFont(font);
    for (size_t i = 0; i < areas.size(); ++i) {
        const QRect r(areas[i].left, areas[i].top, areas[i].right - areas[i].left,
                      areas[i].bottom - areas[i].top);
        painter.fillRect(r, i == 0 ? QColor(255, 214, 150) : QColor(190, 220, 255));
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(r);
        painter.drawText(r, Qt::AlignCenter, QString::number(i + 1));
    }
    if (type == kUserDefinedLayout) {
        painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
        painter.drawRect(QRect(w / 2, h / 4, w / 3, h / 2));
    }
    return picture;
}

CInsertWindowDlg::CInsertWindowDlg(const LanguageManager* language, QWidget* parent)
    : QDialog(parent),
      language_(language),
      count_(new QComboBox(this)),
      layout_(new QListWidget(this)) {
    setWindowTitle(dialogText(language, kInsertWindowDialog, 0));
    for (int i = 0; i < 5; ++i)
        count_->addItem(dialogText(language, kInsertWindowDialog, kComposeControl + 2 + i));
    layout_->setIconSize(kLayoutPictureSize);
    layout_->setSpacing(2);
    // Room for the four layouts of three windows and the longest name
    // without scrolling.
    layout_->setMinimumHeight(4 * (kLayoutPictureSize.height() + 8) + 4);
    int widest = 0;
    for (int type = 1; type < kUserDefinedLayout; ++type)
        widest =
            std::max(widest, layout_->fontMetrics().horizontalAdvance(dialogText(
                                 language, kInsertWindowDialog, kLayoutNameControl + type - 1)));
    layout_->setMinimumWidth(kLayoutPictureSize.width() + widest + 48);
    auto* form = new QFormLayout(this);
    form->addRow(dialogText(language, kInsertWindowDialog, kComposeControl), count_);
    form->addRow(dialogText(language, kInsertWindowDialog, kComposeControl + 1), layout_);
    form->addRow(okCancelButtons(this, language, kInsertWindowDialog));
    connect(count_, &QComboBox::currentIndexChanged, this, [this] { fillLayouts(); });
    connect(layout_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    fillLayouts();
}

void CInsertWindowDlg::fillLayouts() {
    layout_->clear();
    const int count = std::max(count_->currentIndex(), 0);
    for (int type : layoutsByCount()[static_cast<size_t>(count)]) {
        const QString name = type == kUserDefinedLayout ? count_->currentText().trimmed()
                                                        : dialogText(language_, kInsertWindowDialog,
                                                                     kLayoutNameControl + type - 1);
        auto* item =
            new QListWidgetItem(QIcon(layoutPicture(type, kLayoutPictureSize)), name, layout_);
        item->setData(Qt::UserRole, type);
    }
    layout_->setCurrentRow(0);
}

int CInsertWindowDlg::layoutType() const {
    const QListWidgetItem* item = layout_->currentItem();
    return item ? item->data(Qt::UserRole).toInt() : 1;
}

// ---- Counter date ------------------------------------------------------------------

CCounterDateDlg::CCounterDateDlg(const LanguageManager* language, const CalendarTime& preset,
                                 QWidget* parent)
    : QDialog(parent), date_(new QDateEdit(this)), time_(new QTimeEdit(this)) {
    setWindowTitle(dialogText(language, kCounterDateDialog, 0));
    // Any year can be chosen; the counter's range is checked on OK with its
    // message, like every other refusal.
    date_->setMinimumDate(QDate(1900, 1, 1));
    date_->setMaximumDate(QDate(2199, 12, 31));
    date_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    date_->setCalendarPopup(true);
    time_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    date_->setDate(QDate(preset.year, std::max(preset.month, 1), std::max(preset.day, 1)));
    time_->setTime(QTime(preset.hour, preset.minute, preset.second));
    auto* form = new QFormLayout(this);
    form->addRow(dialogText(language, kCounterDateDialog, kComposeControl), date_);
    form->addRow(dialogText(language, kCounterDateDialog, kComposeControl + 1), time_);
    form->addRow(okCancelButtons(this, language, kCounterDateDialog));
}

CalendarTime CCounterDateDlg::when() const {
    CalendarTime t;
    t.year = date_->date().year();
    t.month = date_->date().month();
    t.day = date_->date().day();
    t.hour = time_->time().hour();
    t.minute = time_->time().minute();
    t.second = time_->time().second();
    t.weekday = date_->date().dayOfWeek() % 7;
    return t;
}

void CCounterDateDlg::accept() {
    if (passesRefusal(this, checkCounterYear(date_->date().year()))) QDialog::accept();
}

// ---- Counter ---------------------------------------------------------------------------

CInsertCounterDlg::CInsertCounterDlg(const LanguageManager* language, const CalendarTime& now,
                                     Decide decide, QWidget* parent)
    : QDialog(parent),
      language_(language),
      type_(new QComboBox(this)),
      display_(new QComboBox(this)),
      dateCaption_(new QLabel(this)),
      date_(new QLabel(this)),
      target_(now),
      decide_(std::move(decide)) {
    setWindowTitle(dialogText(language, kInsertCounterDialog, 0));
    type_->addItem(qs(std::string(kCountDownName)));
    type_->addItem(qs(std::string(kCountUpName)));
    auto* dateButton =
        new QPushButton(dialogText(language, kInsertCounterDialog, kComposeControl + 4), this);
    auto* form = new QFormLayout(this);
    form->addRow(dialogText(language, kInsertCounterDialog, kComposeControl), type_);
    form->addRow(dialogText(language, kInsertCounterDialog, kComposeControl + 1), display_);
    form->addRow(dateCaption_, date_);
    form->addRow(QString(), dateButton);
    form->addRow(okCancelButtons(this, language, kInsertCounterDialog));
    connect(type_, &QComboBox::currentIndexChanged, this, [this] {
        fillDisplays();
        showTarget();
    });
    connect(dateButton, &QPushButton::clicked, this, [this] { chooseDate(); });
    fillDisplays();
    showTarget();
}

void CInsertCounterDlg::fillDisplays() {
    const int keep = display_->currentIndex();
    display_->clear();
    const auto names = counterDisplayNames();
    // The count-up counter is not offered the clock display here.
    const size_t shown = type_->currentIndex() == 0 ? names.size() : names.size() - 1;
    for (size_t i = 0; i < shown; ++i)
        display_->addItem(qs(std::string(names[i])));
    display_->setCurrentIndex(std::clamp(keep, 0, display_->count() - 1));
}

int CInsertCounterDlg::format() const {
    const int base = type_->currentIndex() == 0 ? kCountDownBase : kCountUpBase;
    return base + std::max(display_->currentIndex(), 0);
}

void CInsertCounterDlg::setTarget(const CalendarTime& when) {
    target_ = when;
    showTarget();
}

void CInsertCounterDlg::showTarget() {
    dateCaption_->setText(dialogText(language_, kInsertCounterDialog,
                                     kComposeControl + (type_->currentIndex() == 0 ? 2 : 3)));
    date_->setText(QStringLiteral("%1-%2-%3 %4:%5:%6")
                       .arg(target_.year)
                       .arg(target_.month)
                       .arg(target_.day)
                       .arg(target_.hour)
                       .arg(target_.minute, 2, 10, QChar('0'))
                       .arg(target_.second, 2, 10, QChar('0')));
}

void CInsertCounterDlg::chooseDate() {
    CCounterDateDlg dialog(language_, target_, this);
    if (dialog.exec() == QDialog::Accepted) setTarget(dialog.when());
}

void CInsertCounterDlg::accept() {
    if (!passesRefusal(this, checkCounterYear(target_.year))) return;
    if (passesRefusal(this, decide_(format(), TimeStamp::from(target_)))) QDialog::accept();
}

// ---- Character pickers ---------------------------------------------------------------

CCharacterPicker::CCharacterPicker(const FontSet& fonts, const PickerPage& page, QWidget* parent)
    : QWidget(parent), page_(page) {
    const int font = fonts.FindFont(kPickerFontName);
    // Lit dots in the sign's red.
    picture_ = asQImage(drawPickerPage(fonts, font, page, Rgb{255, 0, 0})).copy();
    if (picture_.isNull()) {
        picture_ = QImage(sizeHint(), QImage::Format_RGB888);
        picture_.fill(Qt::black);
    }
    setMouseTracking(true);
    setFixedSize(sizeHint());
}

QSize CCharacterPicker::sizeHint() const {
    return {kPickerColumns * kPickerCellSize + 1, page_.rows * kPickerCellSize + 1};
}

int CCharacterPicker::codeAt(QPoint point) const {
    if (point.x() < 0 || point.y() < 0) return -1;
    const int column = point.x() / kPickerCellSize;
    const int row = point.y() / kPickerCellSize;
    if (column >= kPickerColumns || row >= page_.rows) return -1;
    const int n = row * kPickerColumns + column;
    return n < page_.count ? page_.firstCode + n : -1;
}

void CCharacterPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.drawImage(0, 0, picture_);
    painter.setPen(QColor(64, 64, 64));
    for (int c = 0; c <= kPickerColumns; ++c)
        painter.drawLine(c * kPickerCellSize, 0, c * kPickerCellSize, page_.rows * kPickerCellSize);
    for (int r = 0; r <= page_.rows; ++r)
        painter.drawLine(0, r * kPickerCellSize, kPickerColumns * kPickerCellSize,
                         r * kPickerCellSize);
    if (hover_ >= 0) {
        const Rect cell = pickerCell(hover_ - page_.firstCode);
        painter.setPen(Qt::yellow);
        painter.drawRect(cell.x, cell.y, cell.width, cell.height);
    }
}

void CCharacterPicker::mouseMoveEvent(QMouseEvent* event) {
    const int code = codeAt(event->position().toPoint());
    if (code == hover_) return;
    hover_ = code;
    update();
}

void CCharacterPicker::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int code = codeAt(event->position().toPoint());
    if (code >= 0) emit picked(code);
}

CCharPickerPage::CCharPickerPage(const FontSet& fonts, int signHeight, const PickerPage& page,
                                 QWidget* parent)
    : QWidget(parent), picker_(new CCharacterPicker(fonts, page, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(qs(pickerCaption(kPickerFontName, signHeight)), this));
    layout->addWidget(picker_);
    layout->addStretch();
}

CCInsertNormalCharsDlg::CCInsertNormalCharsDlg(const FontSet& fonts, int signHeight,
                                               QWidget* parent)
    : CCharPickerPage(fonts, signHeight, kNormalCharacters, parent) {}

CCInsertEuropCharsDlg::CCInsertEuropCharsDlg(const FontSet& fonts, int signHeight, QWidget* parent)
    : CCharPickerPage(fonts, signHeight, kEuropeanCharacters, parent) {}

CMyPropertySheet::CMyPropertySheet(const LanguageManager* language, const FontSet& fonts,
                                   int signHeight, Insert insert, QWidget* parent)
    : QDialog(parent),
      tabs_(new QTabWidget(this)),
      normal_(new CCInsertNormalCharsDlg(fonts, signHeight, tabs_)),
      european_(new CCInsertEuropCharsDlg(fonts, signHeight, tabs_)),
      insert_(std::move(insert)) {
    setWindowTitle(dialogText(language, kCharacterSheetDialog, 0));
    tabs_->addTab(normal_, dialogText(language, kNormalCharsPage, 0));
    tabs_->addTab(european_, dialogText(language, kEuropeanCharsPage, 0));
    // Both captions in full, side by side.
    tabs_->setUsesScrollButtons(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    if (QString t = dialogText(language, kCharacterSheetDialog, kControlCancel); !t.isEmpty())
        buttons->button(QDialogButtonBox::Cancel)->setText(t);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (CCharPickerPage* page :
         {static_cast<CCharPickerPage*>(normal_), static_cast<CCharPickerPage*>(european_)})
        connect(page->picker(), &CCharacterPicker::picked, this, [this](int code) { pick(code); });
}

void CMyPropertySheet::pick(int code) {
    if (!passesRefusal(this, insert_(code))) return;
    picked_ = code;
    accept();
}

}  // namespace lumavox::ui
