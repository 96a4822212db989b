#include "ui/dialogs/AboutBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace lumavox::ui {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About LUMAVOX"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("LUMAVOX"), this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

}  // namespace lumavox::ui
