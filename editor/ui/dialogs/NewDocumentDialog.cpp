#include "ui/dialogs/NewDocumentDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

#include "content/Document.h"
#include "strings/WindowTexts.h"
#include "ui/bridge/QtBridge.h"
#include "ui/frame/EditorContext.h"

namespace lumavox::ui {

NewDocumentDialog::NewDocumentDialog(EditorContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setWindowTitle(qtext(msg::kNewSignTitle));
    auto* form = new QFormLayout(this);
    width_ = new QSpinBox(this);
    height_ = new QSpinBox(this);
    // The document layer decides what is acceptable; the fields only keep
    // the numbers inside what the file can store.
    width_->setRange(-1, 65535);
    height_->setRange(-1, 65535);
    colour_ = new QComboBox(this);
    colour_->addItem(qtext(msg::kNewSignTriColour));
    colour_->addItem(qtext(msg::kNewSignSingleColour));
    form->addRow(qtext(msg::kNewSignWidth), width_);
    form->addRow(qtext(msg::kNewSignHeight), height_);
    form->addRow(qtext(msg::kNewSignColour), colour_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    DefaultSignSize size;
    if (context_.store) size = context_.store->LoadDefaultSignSize();
    setSize(size.width, size.height, size.colourType);
}

int NewDocumentDialog::signWidth() const {
    return width_->value();
}
int NewDocumentDialog::signHeight() const {
    return height_->value();
}
int NewDocumentDialog::colourType() const {
    return colour_->currentIndex() == 1 ? 1 : 0;
}

void NewDocumentDialog::setSize(int width, int height, int colourType) {
    width_->setValue(width);
    height_->setValue(height);
    colour_->setCurrentIndex(colourType == 1 ? 1 : 0);
}

void NewDocumentDialog::accept() {
    const std::string refusal = checkNewSignSize(signWidth(), signHeight());
    if (!refusal.empty()) {
        showMessage(this, refusal, Icon::Exclamation);
        return;
    }
    if (context_.store) {
        std::string error;
        if (!context_.store->SaveDefaultSignSize({signWidth(), signHeight(), colourType()}, error))
            showMessage(this, error, Icon::Error);
    }
    QDialog::accept();
}

}  // namespace lumavox::ui
