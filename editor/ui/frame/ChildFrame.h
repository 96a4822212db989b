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

    CLumavoxDoc& doc() { return *doc_; }
    CLumavoxView& view() { return *view_; }
    void updateTitle();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    std::unique_ptr<CLumavoxDoc> doc_;
    CLumavoxView* view_;
    CloseCheck check_;
};

}  // namespace lumavox::ui
