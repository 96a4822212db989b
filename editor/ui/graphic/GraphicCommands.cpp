#include "ui/graphic/GraphicCommands.h"

#include <QAction>
#include <QEvent>
#include <QMdiArea>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "editing/EditorDocument.h"
#include "editing/GraphicEdit.h"
#include "strings/CommandIds.h"
#include "strings/GraphicTexts.h"
#include "strings/TextFormat.h"
#include "strings/WindowTexts.h"
#include "ui/bridge/QtBridge.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/LumavoxDoc.h"
#include "ui/frame/MainFrame.h"
#include "ui/graphic/GraphicFrame.h"
#include "ui/views/LumavoxView.h"

namespace lumavox::ui {

namespace {

constexpr const char* kControllerName = "lumavoxGraphicController";

class GraphicController : public QObject {
  public:
    explicit GraphicController(CMainFrame& frame) : QObject(&frame), frame_(frame) {
        setObjectName(kControllerName);
        // Closing the program stores the graphic first, so that the question
        // to save the document covers it.
        frame.installEventFilter(this);
    }

    CGraphicFrame* editor() const { return editor_; }

    // "Edit...", the property bar's GRAPHIC and RETURNGRAPHIC.
    void editItem() {
        if (editor_) {
            finish();
            return;
        }
        CChildFrame* child = frame_.activeChild();
        const TextItem* item = child ? child->view().editor().itemAtCaret() : nullptr;
        if (item && item->kind == kWindowItem)
            frame_.openWindowEditor();
        else if (item && item->kind == kGraphicItem)
            open(*child, item->params().name.str());
        else
            frame_.statusBar()->showMessage(qtext(msg::kNotAvailableYet), 5000);
    }

    bool open(CChildFrame& child, const std::string& name) {
        const int mode = frame_.modes().mode();
        if (mode != kModeText && mode != kModeWindowFile) return false;
        EditorDocument& doc = child.doc().document();
        const GraphicFile* g = doc.work().findGraphic(name);
        if (!g) {
            showMessage(&frame_, textf(msg::kGraphicGone, {name}), Icon::Exclamation);
            return false;
        }
        auto* mdi = qobject_cast<QMdiArea*>(frame_.centralWidget());
        if (!mdi) return false;
        name_ = g->name.str();
        owner_ = &child;
        editor_ = new CGraphicFrame(*g, doc.work().colourType);
        editor_->setProperty(kOwnerDocumentProperty, QVariant::fromValue<QObject*>(&child));
        const std::pair<int, int> size{g->width, g->height};
        connect(editor_, &CGraphicFrame::cursorDot, this, [this, size](std::optional<DotPoint> d) {
            std::optional<std::pair<int, int>> cursor;
            if (d) cursor = std::pair{d->x, d->y};
            frame_.setGraphicPanes(cursor, size);
        });
        connect(editor_, &CGraphicFrame::changed, &frame_, &CMainFrame::updateCommandUI);
        connect(editor_, &CGraphicFrame::closing, this, [this] { finish(); });
        editor_->setCommandRunner([this](int command) { frame_.runCommand(command); });
        child.installEventFilter(this);
        ownerGone_ = connect(&child, &QObject::destroyed, this, [this] {
            // The document went: the window stands for nothing any more and
            // closes without storing.
            if (editor_) editor_->setProperty(kOwnerDocumentProperty, QVariant());
            QTimer::singleShot(0, this, [this] { finish(); });
        });
        frame_.modes().openGraphicEditor();
        mdi->addSubWindow(editor_);
        editor_->showMaximized();
        mdi->setActiveSubWindow(editor_);
        frame_.setGraphicPanes(std::nullopt, size);
        frame_.modeChanged();
        return true;
    }

    // Stores the graphic into its document (one change) and closes the editor.
    void finish() {
        if (!editor_ || finishing_) return;
        finishing_ = true;
        CGraphicFrame* editor = editor_;
        editor->session().commitSelection();
        if (owner_) {
            EditorDocument& doc = owner_->doc().document();
            if (doc.work().findGraphic(name_))
                storeGraphic(doc, editor->session().graphic());
            else
                showMessage(&frame_, textf(msg::kGraphicGone, {name_}), Icon::Exclamation);
            owner_->removeEventFilter(this);
        }
        disconnect(ownerGone_);
        editor->setProperty(kOwnerDocumentProperty, QVariant());
        editor_ = nullptr;
        editor->close();
        frame_.modes().closeGraphicEditor();
        frame_.setGraphicPanes(std::nullopt, std::nullopt);
        if (auto* mdi = qobject_cast<QMdiArea*>(frame_.centralWidget()); mdi && owner_) {
            mdi->setActiveSubWindow(owner_);
            owner_->view().viewport()->update();
        }
        owner_ = nullptr;
        frame_.modeChanged();
        finishing_ = false;
    }

    void toggleToolBar() {
        GraphicToolState& t = graphicTools();
        t.toolBarShown = !t.toolBarShown;
        if (QAction* a = frame_.action(cmd::kViewDrawToolBar)) a->setChecked(t.toolBarShown);
        if (editor_) editor_->drawToolBar()->setVisible(t.toolBarShown);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && editor_ &&
            (watched == &frame_ || watched == owner_.data()))
            finish();
        return false;
    }

  private:
    CMainFrame& frame_;
    QPointer<CGraphicFrame> editor_;
    QPointer<CChildFrame> owner_;
    QMetaObject::Connection ownerGone_;
    std::string name_;
    bool finishing_ = false;
};

GraphicController* controllerOf(const CMainFrame& frame) {
    // Found by name: the class has no meta-object of its own to cast by.
    return static_cast<GraphicController*>(
        frame.findChild<QObject*>(kControllerName, Qt::FindDirectChildrenOnly));
}

}  // namespace

CGraphicFrame* graphicEditor(const CMainFrame& frame) {
    GraphicController* c = controllerOf(frame);
    return c ? c->editor() : nullptr;
}

void installGraphicCommands(CMainFrame& frame) {
    auto* c = new GraphicController(frame);
    frame.setCommandHandler(cmd::kEditItem, [c] { c->editItem(); });
    frame.setCommandHandler(cmd::kViewDrawToolBar, [c] { c->toggleToolBar(); });
    if (QAction* a = frame.action(cmd::kViewDrawToolBar))
        a->setChecked(graphicTools().toolBarShown);
    auto on = [c](void (CGraphicFrame::*fn)()) {
        return [c, fn] {
            if (CGraphicFrame* e = c->editor()) (e->*fn)();
        };
    };
    // The graphic menu's keys, shown beside its entries. They are the text
    // editor's keys too: only one of the two commands is ever available.
    const std::pair<int, QList<QKeySequence>> keys[] = {
        {cmd::kGraphicUndo,
         {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}},
        {cmd::kGraphicRedo, {QKeySequence(Qt::CTRL | Qt::Key_Y)}},
        {cmd::kGraphicCopy,
         {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}},
        {cmd::kGraphicCut,
         {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}},
        {cmd::kGraphicPaste,
         {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}},
        {cmd::kGraphicDelete, {QKeySequence(Qt::Key_Delete)}},
    };
    for (const auto& [command, sequence] : keys)
        if (QAction* a = frame.action(command)) a->setShortcuts(sequence);
    frame.setCommandHandler(cmd::kGraphicUndo, on(&CGraphicFrame::undo));
    frame.setCommandHandler(cmd::kGraphicRedo, on(&CGraphicFrame::redo));
    frame.setCommandHandler(cmd::kGraphicCopy, on(&CGraphicFrame::copy));
    frame.setCommandHandler(cmd::kGraphicCut, on(&CGraphicFrame::cut));
    frame.setCommandHandler(cmd::kGraphicPaste, on(&CGraphicFrame::paste));
    frame.setCommandHandler(cmd::kGraphicDelete, on(&CGraphicFrame::deleteSelection));
    frame.setCommandHandler(cmd::kGraphicImport, [c] {
        if (CGraphicFrame* e = c->editor()) e->importBmp();
    });
    frame.setCommandHandler(cmd::kGraphicExport, [c] {
        if (CGraphicFrame* e = c->editor()) e->exportBmp();
    });
    frame.setCommandHandler(cmd::kGraphicSaveReturn, [c] { c->finish(); });
}

}  // namespace lumavox::ui
