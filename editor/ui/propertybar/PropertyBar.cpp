#include "ui/propertybar/PropertyBar.h"

#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/DialogTexts.h"
#include "strings/WindowTexts.h"
#include "ui/bridge/QtBridge.h"
#include "ui/dialogs/FileManageDialogs.h"
#include "ui/dialogs/InsertDialogs.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/LumavoxDoc.h"
#include "ui/frame/MainFrame.h"
#include "ui/views/LumavoxView.h"

namespace lumavox::ui {

CPropertyBar::CPropertyBar(CMainFrame& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    header_ = new QComboBox(this);
    table_ = new QTableWidget(0, 2, this);
    table_->setHorizontalHeaderLabels({qtext(msg::kPropertyHeader), qtext(msg::kValueHeader)});
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->setVisible(false);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    hint_ = new QLabel(this);
    hint_->setWordWrap(true);
    hint_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    hint_->setMinimumHeight(hint_->fontMetrics().height() * 3);
    layout->addWidget(header_);
    layout->addWidget(table_, 1);
    layout->addWidget(hint_);
    setMinimumWidth(220);

    connect(table_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { showHint(row); });
    connect(header_, &QComboBox::activated, this, [this](int index) {
        if (filling_) return;
        finish(selectHeaderEntry(context(), index));
    });
    connect(header_, &QComboBox::highlighted, this, [this](int) { showHint(-1); });
}

PropertyContext CPropertyBar::context() const {
    PropertyContext c;
    c.editMode = frame_.modes().mode();
    c.window = frame_.windowSession();
    if (CChildFrame* child = frame_.activeChild()) {
        c.document = &child->doc().document();
        c.editor = &child->view().editor();
        c.fonts = child->view().fonts().IsLoaded() ? &child->view().fonts() : nullptr;
    }
    return c;
}

std::string CPropertyBar::signature() const {
    std::string s;
    for (const std::string& e : list_.header.entries)
        s += e + '\x1f';
    s += std::to_string(list_.header.selected.value_or(-1)) + '\x1e';
    for (const PropertyRow& r : list_.rows) {
        s += r.caption + '\x1f' + r.value + '\x1f' + std::to_string(static_cast<int>(r.edit)) +
             '\x1f' + std::to_string(r.options.size()) + '\x1f' +
             std::to_string(r.selected.value_or(-1)) + '\x1f' + (r.enabled ? "1" : "0") + '\x1e';
    }
    return s;
}

void CPropertyBar::rebuild() {
    const PropertyContext c = context();
    list_ = c.document ? buildPropertyList(c) : PropertyList{};
    const std::string now = signature();
    if (now == shown_) return;
    shown_ = now;
    filling_ = true;
    header_->clear();
    for (const std::string& e : list_.header.entries)
        header_->addItem(qs(e));
    if (list_.header.selected) header_->setCurrentIndex(*list_.header.selected);
    header_->setEnabled(list_.header.enabled);

    const int current = table_->currentRow();
    table_->clearContents();
    table_->setRowCount(static_cast<int>(list_.rows.size()));
    for (int i = 0; i < static_cast<int>(list_.rows.size()); ++i) {
        const PropertyRow& r = list_.rows[static_cast<size_t>(i)];
        auto* caption = new QTableWidgetItem(qs(r.caption));
        table_->setItem(i, 0, caption);
        switch (r.edit) {
            case PropertyEdit::Choice: {
                auto* box = new QComboBox;
                for (const std::string& o : r.options)
                    box->addItem(qs(o));
                box->setCurrentIndex(r.selected.value_or(-1));
                box->setEnabled(r.enabled);
                connect(box, &QComboBox::activated, this, [this, i](int option) {
                    if (!filling_) choose(i, option);
                });
                table_->setCellWidget(i, 1, box);
                break;
            }
            case PropertyEdit::Number: {
                auto* spin = new QSpinBox;
                spin->setRange(r.minimum, r.maximum);
                spin->setValue(QString::fromStdString(r.value).toInt());
                spin->setEnabled(r.enabled);
                spin->setKeyboardTracking(false);
                connect(spin, &QSpinBox::editingFinished, this, [this, i, spin] {
                    if (!filling_) enter(i, QString::number(spin->value()));
                });
                table_->setCellWidget(i, 1, spin);
                break;
            }
            case PropertyEdit::Text: {
                auto* edit = new QLineEdit(qs(r.value));
                edit->setEnabled(r.enabled);
                connect(edit, &QLineEdit::editingFinished, this, [this, i, edit] {
                    if (!filling_) enter(i, edit->text());
                });
                table_->setCellWidget(i, 1, edit);
                break;
            }
            case PropertyEdit::Action: {
                auto* button =
                    new QPushButton(r.value.empty() ? QStringLiteral("...") : qs(r.value));
                button->setEnabled(r.enabled);
                connect(button, &QPushButton::clicked, this, [this, i] { press(i); });
                table_->setCellWidget(i, 1, button);
                break;
            }
            case PropertyEdit::None:
                table_->setItem(i, 1, new QTableWidgetItem(qs(r.value)));
                break;
        }
    }
    table_->resizeColumnToContents(0);
    if (current >= 0 && current < table_->rowCount()) table_->setCurrentCell(current, 0);
    filling_ = false;
    showHint(table_->currentRow());
}

QString CPropertyBar::hint() const {
    return hint_->text();
}

void CPropertyBar::showHint(int row) {
    hint_->setText(qs(propertyHint(list_, row)));
}

void CPropertyBar::choose(int row, int option) {
    if (row < 0 || row >= static_cast<int>(list_.rows.size())) return;
    table_->setCurrentCell(row, 0);
    QtPrompter prompter(this);
    finish(
        applyPropertyChoice(context(), list_.rows[static_cast<size_t>(row)].id, option, prompter));
}

void CPropertyBar::enter(int row, const QString& value) {
    if (row < 0 || row >= static_cast<int>(list_.rows.size())) return;
    QtPrompter prompter(this);
    finish(applyProperty(context(), list_.rows[static_cast<size_t>(row)].id, ss(value), prompter));
}

void CPropertyBar::press(int row) {
    if (row < 0 || row >= static_cast<int>(list_.rows.size())) return;
    table_->setCurrentCell(row, 0);
    QtPrompter prompter(this);
    finish(propertyAction(context(), list_.rows[static_cast<size_t>(row)].action, prompter));
}

void CPropertyBar::finish(const PropertyResult& result) {
    QtPrompter prompter(this);
    switch (result.request) {
        case PropertyRequest::RenamePrompt: {
            // The rename box of File Manage: a refused name is shown and stays
            // selected in the open box.
            const PropertyContext c = context();
            const TextFile* file = c.document ? c.document->currentFile() : nullptr;
            CFileNameDlg dialog(
                frame_.context().language, kRenameFileDialog,
                file ? qs(file->name.str()) : QString(),
                [&c](const std::string& name) {
                    KeptMessage refusal;
                    return renameCurrentFile(c, name, refusal).error;
                },
                this);
            dialog.exec();
            break;
        }
        case PropertyRequest::CounterDateDialog: {
            const TimeStamp& s = result.stamp;
            CalendarTime preset;
            preset.year = 2000 + s.year;
            preset.month = std::max<int>(s.month, 1);
            preset.day = std::max<int>(s.day, 1);
            preset.hour = s.hour;
            preset.minute = s.minute;
            preset.second = s.second;
            CCounterDateDlg dialog(frame_.context().language, preset, this);
            if (dialog.exec() == QDialog::Accepted)
                setCounterDate(context(), dialog.when(), prompter);
            break;
        }
        case PropertyRequest::None:
            break;
        default:
            if (requestHandler_) requestHandler_(result);
            break;
    }
    rebuild();
    frame_.updateCommandUI();
}

}  // namespace lumavox::ui
