// One open document in the window: the document object of the engine with the
// name the window shows, and its changes as a Qt signal.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "editing/EditorDocument.h"

namespace lumavox::ui {

class CLumavoxDoc : public QObject {
    Q_OBJECT
  public:
    CLumavoxDoc(SignMode mode, const Clock& clock, int untitledNumber, QObject* parent = nullptr);
    ~CLumavoxDoc() override;

    EditorDocument& document() { return doc_; }
    const EditorDocument& document() const { return doc_; }
    // The file name, or "LUMAVOX<n>" before the first save.
    QString title() const;
    bool hasPath() const { return !doc_.path().empty(); }
    QString path() const;

  signals:
    void changed(unsigned changes);

  private:
    EditorDocument doc_;
    int listener_ = 0;
    int untitledNumber_;
};

}  // namespace lumavox::ui
