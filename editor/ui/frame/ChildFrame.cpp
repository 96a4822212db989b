#include "ui/frame/ChildFrame.h"

#include <QCloseEvent>

#include "ui/frame/LumavoxDoc.h"
#include "ui/views/LumavoxView.h"

namespace lumavox::ui {

CChildFrame::CChildFrame(EditorContext& context, std::unique_ptr<CLumavoxDoc> doc, CloseCheck check,
                         QWidget* parent)
    : QMdiSubWindow(parent), doc_(std::move(doc)), check_(std::move(check)) {
    setAttribute(Qt::WA_DeleteOnClose);
    view_ = new CLumavoxView(context, *doc_, this);
    setWidget(view_);
    // The title follows the name and the modified flag after every change,
    // whatever made it.
    connect(doc_.get(), &CLumavoxDoc::changed, this, [this](unsigned) { updateTitle(); });
    updateTitle();
}

CChildFrame::~CChildFrame() = default;

void CChildFrame::updateTitle() {
    // "[*]" shows the modified mark the platform's way.
    QString title = doc_->title();
    if (const TextFile* file = doc_->document().currentFile())
        title += QStringLiteral(" - ") + QString::fromStdString(file->name.str());
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(doc_->document().modified());
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (check_ && !check_(this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

}  // namespace lumavox::ui
