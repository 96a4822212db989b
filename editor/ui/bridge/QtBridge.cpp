#include "ui/bridge/QtBridge.h"

#include <QMessageBox>
#include <cstdio>

#include "strings/StringTable.h"

namespace lumavox::ui {

static_assert(sizeof(Rgb) == 3, "RgbImage pixels must be packed RGB triples");

QString qtext(int id) {
    return qs(text(id));
}

QImage asQImage(const RgbImage& image) {
    if (image.empty()) return {};
    return QImage(reinterpret_cast<const uchar*>(image.pixels().data()), image.width(),
                  image.height(), image.width() * 3, QImage::Format_RGB888);
}

namespace {
QMessageBox::Icon boxIcon(Icon icon) {
    switch (icon) {
        case Icon::Error:
            return QMessageBox::Critical;
        case Icon::Exclamation:
            return QMessageBox::Warning;
        case Icon::Information:
            return QMessageBox::Information;
        case Icon::Question:
            return QMessageBox::Question;
        case Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QString boxTitle(Icon icon) {
    return qtext(icon == Icon::Error ? msg::kErrorTitle : msg::kPromptTitle);
}

bool g_unattended = false;
int g_unattendedMessages = 0;

// In unattended use, the text on standard error instead of a box.
bool toStandardError(const std::string& text) {
    if (!g_unattended) return false;
    std::fprintf(stderr, "lumavox: %s\n", text.c_str());
    ++g_unattendedMessages;
    return true;
}
}  // namespace

void setUnattended(bool unattended) {
    g_unattended = unattended;
}

int unattendedMessages() {
    return g_unattendedMessages;
}

void showMessage(QWidget* parent, const std::string& text, Icon icon) {
    if (toStandardError(text)) return;
    QMessageBox box(boxIcon(icon), boxTitle(icon), qs(text), QMessageBox::Ok, parent);
    box.exec();
}

QMessageBox* openMessage(QWidget* parent, const std::string& text, Icon icon) {
    auto* box = new QMessageBox(boxIcon(icon), boxTitle(icon), qs(text), QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return box;
}

bool askYesNo(QWidget* parent, const std::string& text, Icon icon) {
    if (toStandardError(text)) return false;
    QMessageBox box(boxIcon(icon), boxTitle(icon), qs(text), QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace lumavox::ui
