#include "ui/frame/LumavoxDoc.h"

#include "ui/bridge/QtBridge.h"

namespace lumavox::ui {

CLumavoxDoc::CLumavoxDoc(SignMode mode, const Clock& clock, int untitledNumber, QObject* parent)
    : QObject(parent), doc_(mode, clock), untitledNumber_(untitledNumber) {
    listener_ = doc_.addListener([this](unsigned changes) { emit changed(changes); });
}

CLumavoxDoc::~CLumavoxDoc() {
    doc_.removeListener(listener_);
}

QString CLumavoxDoc::title() const {
    if (doc_.path().empty()) return QStringLiteral("LUMAVOX%1").arg(untitledNumber_);
    return qs(doc_.path().filename().string());
}

QString CLumavoxDoc::path() const {
    return qs(doc_.path().string());
}

}  // namespace lumavox::ui
