// The window of one document inside the main frame: it holds the document's
// edit view and asks before a modified document is closed.
#pragma once

#include <QMdiSubWindow>
#include <functional>
#include <memory>

namespace lumavox::ui {

class CLumavoxDoc;
class CLumavoxView;
struct EditorContext;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
  public:
    // Asked before a modified document closes: true when closing may go on
    // (the document was saved or the user chose not to save).
    using CloseCheck = std::function<bool(CChildFrame*)>;

    CChildFrame(EditorContext& context, std::unique_ptr<CLumavoxDoc> doc, CloseCheck check,
                QWidget* parent = nullptr);
    ~CChildFrame() override;

    CLumavoxDoc& doc();
    CLumavoxView& view() { return *view_; }
    void updateTitle();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // The view owns the document: Qt deletes the child widgets only after the
    // frame's own members, and the view listens to the document until then.
    CLumavoxView* view_;
    CloseCheck check_;
};

}  // namespace lumavox::ui
