#include "ui/bridge/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "strings/SignCharset.h"

namespace lumavox::ui {

QString signTextToUnicode(const std::string& text) {
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (char c : text) {
        const int code = static_cast<unsigned char>(c);
        if (code == '\r' || code == '\n') {
            out.append(QChar(code));
            continue;
        }
        const char32_t u = charset::unicodeOf(code);
        out.append(u ? QString::fromUcs4(&u, 1) : QStringLiteral("?"));
    }
    return out;
}

std::string unicodeToSignText(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (char32_t u : text.toUcs4()) {
        if (u == '\r' || u == '\n' || u == '\t') {
            out.push_back(static_cast<char>(u));
            continue;
        }
        const int code = charset::signCodeOf(u);
        out.push_back(code < 0 ? '?' : static_cast<char>(code));
    }
    return out;
}

void putOnClipboard(const ClipboardPayload& payload) {
    auto* data = new QMimeData;
    if (payload.hasItems())
        data->setData(kItemMimeType, QByteArray(reinterpret_cast<const char*>(payload.items.data()),
                                                static_cast<qsizetype>(payload.items.size())));
    if (payload.hasText()) data->setText(signTextToUnicode(payload.text));
    QGuiApplication::clipboard()->setMimeData(data);
}

ClipboardPayload takeFromClipboard() {
    ClipboardPayload payload;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return payload;
    if (data->hasFormat(kItemMimeType)) {
        const QByteArray bytes = data->data(kItemMimeType);
        payload.items.assign(bytes.begin(), bytes.end());
    }
    if (data->hasText()) payload.text = unicodeToSignText(data->text());
    return payload;
}

bool clipboardHasItems() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasFormat(kItemMimeType);
}

bool clipboardHasText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText() && !data->text().isEmpty();
}

}  // namespace lumavox::ui
