#include "ui/frame/ChildFrame.h"

#include <QCloseEvent>

#include "ui/frame/LumavoxDoc.h"
#include "ui/views/LumavoxView.h"

namespace lumavox::ui {

CChildFrame::CChildFrame(EditorContext& context, std::unique_ptr<CLumavoxDoc> doc, CloseCheck check,
                         QWidget* parent)
    : QMdiSubWindow(parent), check_(std::move(check)) {
    setAttribute(Qt::WA_DeleteOnClose);
    view_ = new CLumavoxView(context, std::move(doc), this);
    setWidget(view_);
    // The title follows the name and the modified flag after every change,
    // whatever made it.
    connect(&view_->doc(), &CLumavoxDoc::changed, this, [this](unsigned) { updateTitle(); });
    updateTitle();
}

CChildFrame::~CChildFrame() = default;

CLumavoxDoc& CChildFrame::doc() {
    return view_->doc();
}

void CChildFrame::updateTitle() {
    // "[*]" shows the modified mark the platform's way.
    QString title = doc().title();
    if (const TextFile* file = doc().document().currentFile())
        title += QStringLiteral(" - ") + QString::fromStdString(file->name.str());
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(doc().document().modified());
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (check_ && !check_(this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

}  // namespace lumavox::ui
