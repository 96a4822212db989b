#include "ui/frame/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <algorithm>

#include "content/Document.h"
#include "editing/ContextMenu.h"
#include "editing/NewDocument.h"
#include "editing/NvsMenu.h"
#include "editing/TextEditor.h"
#include "editing/WindowFileManager.h"
#include "operations/GprsMonitor.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"
#include "strings/WindowTexts.h"
#include "ui/bridge/Clipboard.h"
#include "ui/bridge/QtBridge.h"
#include "ui/dialogs/AboutBox.h"
#include "ui/dialogs/ControlUpdateDlg.h"
#include "ui/dialogs/FileManageDialogs.h"
#include "ui/dialogs/LanguageDialog.h"
#include "ui/dialogs/NewDocumentDialog.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/ComposeCommands.h"
#include "ui/frame/LumavoxDoc.h"
#include "ui/frame/ToolbarIcons.h"
#include "ui/graphic/GraphicCommands.h"
#include "ui/graphic/GraphicFrame.h"
#include "ui/preview/PreviewWindow.h"
#include "ui/propertybar/PropertyBar.h"
#include "ui/views/LumavoxView.h"

namespace lumavox::ui {

namespace {

// The shortcuts of the menus and the extra accelerators of the editor.
QList<QKeySequence> shortcutsFor(int command) {
    switch (command) {
        case cmd::kFileNew:
            return {QKeySequence(Qt::CTRL | Qt::Key_N)};
        case cmd::kFileOpen:
            return {QKeySequence(Qt::CTRL | Qt::Key_O)};
        case cmd::kFileSave:
            return {QKeySequence(Qt::CTRL | Qt::Key_S)};
        case cmd::kEditCopy:
            return {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)};
        case cmd::kEditCut:
            return {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)};
        case cmd::kEditPaste:
            return {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)};
        case cmd::kEditUndo:
            return {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)};
        case cmd::kEditRedo:
            return {QKeySequence(Qt::CTRL | Qt::Key_Y)};
        case cmd::kEditSelectAll:
            return {QKeySequence(Qt::CTRL | Qt::Key_A)};
        default:
            return {};
    }
}

bool isToggle(int command) {
    return command == cmd::kViewToolbar || command == cmd::kViewStatusBar ||
           command == cmd::kViewControlBar || command == cmd::kViewDrawToolBar;
}

// The menu text without its accelerator part ("&New\tCtrl+N" -> "&New").
QString menuLabel(const std::string& text) {
    const auto tab = text.find('\t');
    return qs(tab == std::string::npos ? text : text.substr(0, tab));
}

void collectCommands(const std::vector<MenuEntry>& items, std::vector<const MenuEntry*>& out) {
    for (const MenuEntry& e : items) {
        if (e.kind == MenuEntry::Command) out.push_back(&e);
        if (e.kind == MenuEntry::Popup) collectCommands(e.items, out);
    }
}

QLabel* makePane(const QString& sizing) {
    auto* label = new QLabel;
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(sizing) + 12);
    return label;
}

}  // namespace

CMainFrame::CMainFrame(EditorContext& context, QWidget* parent)
    : QMainWindow(parent), context_(context), mdi_(new QMdiArea(this)) {
    setWindowTitle(QStringLiteral("LUMAVOX"));
    setWindowIcon(toolbarIcon(ToolbarIcon::Application));
    setAcceptDrops(true);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, &CMainFrame::onSubWindowActivated);

    saveQuestion_ = [this](const QString& name) {
        return QMessageBox::question(
            this, qs(text(msg::kPromptTitle)), qs(textf(msg::kSaveChangesQuestion, {ss(name)})),
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    };
    saveAsQuestion_ = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(this, qtext(msg::kSaveAsTitle), suggested,
                                            qtext(msg::kOpenFilter));
    };

    createActions();
    createToolBar();
    createStatusBar();
    createPropertyBar();
    rebuildMenuBar();
    updateCommandUI();

    // Caps and Num lock have no change signal; the panes follow them lazily.
    auto* keys = new QTimer(this);
    keys->setInterval(500);
    connect(keys, &QTimer::timeout, this, &CMainFrame::refreshPanes);
    keys->start();
    // The clipboard decides whether Paste can be chosen.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &CMainFrame::updateCommandUI);
    installUpdateCommands(*this);
    installControlCommands(*this);
    installModemCommands(*this);
    installComposeCommands(*this);
    installGraphicCommands(*this);
}

CMainFrame::~CMainFrame() {
    // Nothing reaches this frame while its parts go away.
    disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
    disconnect(mdi_, nullptr, this, nullptr);
    disconnect(propertyDock_, nullptr, this, nullptr);
    for (CChildFrame* child : children()) {
        disconnect(child, nullptr, this, nullptr);
        disconnect(&child->view(), nullptr, this, nullptr);
        disconnect(&child->doc(), nullptr, this, nullptr);
        delete child;
    }
    window_.reset();
}

// ---- Commands and menus ------------------------------------------------------

QAction* CMainFrame::makeAction(const MenuEntry& entry, const std::string& shownText) {
    QAction*& action = actions_[entry.command];
    if (!action) {
        action = new QAction(this);
        const int id = entry.command;
        action->setShortcuts(shortcutsFor(id));
        action->setCheckable(isToggle(id));
        connect(action, &QAction::triggered, this, [this, id] { onCommand(id); });
    }
    action->setText(menuLabel(shownText));
    const QString prompt = qs(text(entry.command));
    action->setStatusTip(prompt);
    QString tip = menuLabel(shownText).remove('&').remove(QStringLiteral("..."));
    action->setToolTip(tip.replace(QStringLiteral("&&"), QStringLiteral("&")));
    // The menu names Send All by what it sends; its button by what it does.
    if (entry.command == cmd::kSendAll) action->setToolTip(qtext(msg::kSendAllTip));
    return action;
}

void CMainFrame::createActions() {
    for (const auto& bar :
         {&mainMenu(), &noDocumentMenu(), &graphicEditorMenu(), &windowEditorMenu()}) {
        std::vector<const MenuEntry*> entries;
        collectCommands(*bar, entries);
        for (const MenuEntry* e : entries)
            if (!actions_.count(e->command)) makeAction(*e, e->text);
    }
    // The toolbar's button that has no menu entry.
    MenuEntry sendCurrent{
        MenuEntry::Command, "Send current editing text file", cmd::kSendCurrent, {}};
    makeAction(sendCurrent, sendCurrent.text);
    // Select All: the edit view's context menu and Ctrl+A.
    MenuEntry selectAll{MenuEntry::Command, text(msg::kMenuSelectAll), cmd::kEditSelectAll, {}};
    addAction(makeAction(selectAll, selectAll.text));
    // Next and previous pane.
    auto* next = new QAction(this);
    next->setShortcut(QKeySequence(Qt::Key_F6));
    connect(next, &QAction::triggered, mdi_, &QMdiArea::activateNextSubWindow);
    auto* previous = new QAction(this);
    previous->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    connect(previous, &QAction::triggered, mdi_, &QMdiArea::activatePreviousSubWindow);
    addActions({next, previous});
}

QAction* CMainFrame::action(int command) const {
    auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

const std::vector<MenuEntry>& CMainFrame::currentMenu() const {
    if (modes_.mode() == kModeGraphicEditor) return graphicEditorMenu();
    if (modes_.mode() == kModeWindowEditor) return windowEditorMenu();
    return children().empty() ? noDocumentMenu() : mainMenu();
}

namespace {
// A menu bar with the chosen language's texts in place of the built-in ones.
std::vector<MenuEntry> translatedMenu(const std::vector<MenuEntry>& bar, int base,
                                      const LanguageManager* language) {
    std::vector<MenuEntry> out = bar;
    if (!language) return out;
    std::map<std::vector<int>, int> numbers;
    for (const NumberedMenuEntry& n : numberMenu(bar, base))
        numbers[n.position] = n.number;
    std::vector<int> position;
    std::function<void(std::vector<MenuEntry>&)> walk = [&](std::vector<MenuEntry>& items) {
        for (size_t i = 0; i < items.size(); ++i) {
            position.push_back(static_cast<int>(i));
            if (items[i].textId != 0) items[i].text = text(items[i].textId);
            if (auto it = numbers.find(position); it != numbers.end()) {
                std::string text = language->MenuText(it->second);
                if (!text.empty()) items[i].text = text;
            }
            if (items[i].kind == MenuEntry::Popup) walk(items[i].items);
            position.pop_back();
        }
    };
    walk(out);
    return out;
}

bool holds(const MenuEntry& popup, int command) {
    for (const MenuEntry& e : popup.items)
        if (e.command == command) return true;
    return false;
}
}  // namespace

void CMainFrame::rebuildMenuBar() {
    const std::vector<MenuEntry>& bar = currentMenu();
    int base = kMainMenuBase;
    if (&bar == &noDocumentMenu()) base = kNoDocumentMenuBase;
    if (&bar == &graphicEditorMenu()) base = kGraphicMenuBase;
    if (&bar == &windowEditorMenu()) base = kWindowFileMenuBase;
    // Translated first, then the NVS family's removals, which go by command.
    shownMenu_ = translatedMenu(bar, base, context_.language);
    if (&bar == &mainMenu() && context_.mode() == SignMode::NVS)
        shownMenu_ = nvsMainMenu(shownMenu_);
    shownMenu_ = withMnemonics(std::move(shownMenu_));

    QMenuBar* menus = menuBar();
    menus->clear();
    for (const MenuEntry& top : shownMenu_) {
        if (top.kind != MenuEntry::Popup) continue;
        QMenu* menu = menus->addMenu(qs(top.text));
        fillMenu(menu, top.items);
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateCommandUI);
        if (holds(top, cmd::kWindowCascade)) {
            connect(menu, &QMenu::aboutToShow, this, [this, menu, items = top.items] {
                menu->clear();
                fillMenu(menu, items);
                const auto windows = mdi_->subWindowList();
                if (!windows.isEmpty()) menu->addSeparator();
                int n = 1;
                for (QMdiSubWindow* w : windows) {
                    QAction* a = menu->addAction(QStringLiteral("&%1 %2").arg(n++).arg(
                        w->windowTitle().remove(QStringLiteral("[*]"))));
                    a->setCheckable(true);
                    a->setChecked(w == mdi_->activeSubWindow());
                    connect(a, &QAction::triggered, this,
                            [this, w] { mdi_->setActiveSubWindow(w); });
                }
            });
        }
    }
}

void CMainFrame::fillMenu(QMenu* menu, const std::vector<MenuEntry>& items) {
    for (const MenuEntry& e : items) {
        switch (e.kind) {
            case MenuEntry::Separator:
                menu->addSeparator();
                break;
            case MenuEntry::Popup:
                fillMenu(menu->addMenu(qs(e.text)), e.items);
                break;
            case MenuEntry::Command:
                if (e.command == cmd::kRecentFileFirst) {
                    makeAction(e, e.text);
                    fillRecentFiles(menu);
                } else {
                    menu->addAction(makeAction(e, e.text));
                }
                break;
        }
    }
}

void CMainFrame::fillRecentFiles(QMenu* menu) {
    const RecentFileList& recent = context_.recentFiles();
    if (recent.files().empty()) {
        menu->addAction(action(cmd::kRecentFileFirst));
        return;
    }
    for (size_t i = 0; i < recent.files().size(); ++i) {
        QAction* a = menu->addAction(qs(recent.menuText(i)));
        a->setStatusTip(qs(text(cmd::kRecentFileFirst)));
        connect(a, &QAction::triggered, this, [this, i] { openRecentFile(static_cast<int>(i)); });
    }
}

void CMainFrame::createToolBar() {
    toolBar_ = addToolBar(qtext(msg::kToolbarTitle));
    toolBar_->setObjectName(QStringLiteral("toolbar"));
    const std::pair<int, ToolbarIcon> buttons[] = {
        {cmd::kFileNew, ToolbarIcon::New},
        {cmd::kFileOpen, ToolbarIcon::Open},
        {cmd::kFileSave, ToolbarIcon::Save},
        {0, ToolbarIcon::Application},
        {cmd::kEditCut, ToolbarIcon::Cut},
        {cmd::kEditCopy, ToolbarIcon::Copy},
        {cmd::kEditPaste, ToolbarIcon::Paste},
        {0, ToolbarIcon::Application},
        {cmd::kSendCurrent, ToolbarIcon::SendCurrent},
        {cmd::kSendAll, ToolbarIcon::SendAll},
        {0, ToolbarIcon::Application},
        {cmd::kPreview, ToolbarIcon::Preview},
        {0, ToolbarIcon::Application},
        {cmd::kAppAbout, ToolbarIcon::About},
    };
    for (const auto& [command, icon] : buttons) {
        if (command == 0) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* a = action(command);
        a->setIcon(toolbarIcon(icon));
        toolBar_->addAction(a);
    }
}

void CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->showMessage(qtext(msg::kReadyPrompt));
    positionPane_ = makePane(qs(positionPaneSizingText()));
    sizePane_ = makePane(qs(sizePaneSizingText()));
    capsPane_ = makePane(QStringLiteral("CAP"));
    numPane_ = makePane(QStringLiteral("NUM"));
    typingPane_ = makePane(QStringLiteral("OVR"));
    rowWidthPane_ = makePane(qs(rowWidthPaneSizingText()));
    for (QLabel* pane : {rowWidthPane_, positionPane_, sizePane_, capsPane_, numPane_, typingPane_})
        bar->addPermanentWidget(pane);
}

void CMainFrame::createPropertyBar() {
    propertyDock_ = new QDockWidget(qtext(msg::kPropertyBarTitle), this);
    propertyDock_->setObjectName(QStringLiteral("propertybar"));
    propertyBar_ = new CPropertyBar(*this, propertyDock_);
    propertyBar_->setRequestHandler([this](const PropertyResult& r) { handlePropertyRequest(r); });
    propertyDock_->setWidget(propertyBar_);
    addDockWidget(Qt::LeftDockWidgetArea, propertyDock_);
    connect(propertyDock_, &QDockWidget::visibilityChanged, this, &CMainFrame::updateCommandUI);
}

void CMainFrame::setCommandHandler(int command, std::function<void()> handler) {
    handlers_[command] = std::move(handler);
}

bool CMainFrame::runCommand(int command) {
    updateCommandUI();
    QAction* a = action(command);
    if (a && !a->isEnabled()) return false;
    onCommand(command);
    return true;
}

CommandState CMainFrame::commandState() const {
    CommandState s;
    s.editMode = modes_.mode();
    s.family = context_.mode();
    CChildFrame* child = activeChild();
    s.documentOpen = child != nullptr;
    s.previewOpen = modes_.mode() == kModePreview;
    s.clipboardHasText = clipboardHasText();
    s.clipboardHasItems = clipboardHasItems();
    s.windowLayoutUserDefined = window_ && window_->userDefined();
    if (CGraphicFrame* graphic = graphicEditor(*this)) describeForCommands(graphic->session(), s);
    s.recentFiles = context_.recentFiles().files().size();
    if (child) {
        CLumavoxView& view = child->view();
        TextEditor& editor = view.editor();
        s.textEditingAllowed = editor.editable();
        s.selection = editor.hasSelection();
        s.undoSnapshots = child->doc().document().undoSnapshots();
        s.redoSnapshots = child->doc().document().redoSnapshots();
        if (const TextItem* item = editor.itemAtCaret()) {
            s.caretOnGraphic = item->kind == kGraphicItem;
            s.caretOnWindowControl = item->kind == kWindowItem;
        }
    }
    return s;
}

void CMainFrame::updateCommandUI() {
    const CommandState state = commandState();
    for (auto& [command, a] : actions_)
        a->setEnabled(commandEnabled(command, state));
    action(cmd::kViewToolbar)->setChecked(toolBar_ && toolBar_->isVisible());
    action(cmd::kViewStatusBar)->setChecked(statusBar()->isVisible());
    action(cmd::kViewControlBar)->setChecked(propertyDock_ && propertyDock_->isVisible());
    refreshPanes();
}

QString CMainFrame::paneText(int pane) const {
    switch (pane) {
        case 1:
            return positionPane_->text();
        case 2:
            return sizePane_->text();
        case 3:
            return capsPane_->text();
        case 4:
            return numPane_->text();
        case 5:
            return typingPane_->text();
        case 6:
            return rowWidthPane_->text();
        default:
            return statusBar()->currentMessage();
    }
}

void CMainFrame::showGprsStartError() {
    if (!context_.gprs) return;
    const std::string error = context_.gprs->startError();
    if (!error.empty()) statusBar()->showMessage(qs(error));
}

void CMainFrame::refreshPanes() {
    const int mode = modes_.mode();
    const StatusPane position = positionPane(mode, graphicCursor_);
    positionPane_->setText(qs(position.text));
    positionPane_->setEnabled(position.active);
    std::optional<int> screen;
    if (pointerScreen_ > 0) screen = pointerScreen_;
    const StatusPane size = sizePane(mode, graphicSize_, screen);
    sizePane_->setText(qs(size.text));
    sizePane_->setEnabled(size.active);
    // Lock states are not visible to a portable program (a keypad key says
    // nothing about Num Lock): both panes stay blank.
    capsPane_->setText(QString());
    numPane_->setText(QString());
    CChildFrame* child = activeChild();
    const StatusPane typing =
        typingModePane(child != nullptr, child && child->view().editor().overwrite());
    typingPane_->setText(qs(typing.text));
    const std::optional<int> rowWidth =
        child ? child->view().caretRowWidth() : std::optional<int>();
    const int signWidth = child ? child->doc().document().work().signWidth : 0;
    const StatusPane row = rowWidthPane(mode, rowWidth, signWidth);
    rowWidthPane_->setText(qs(row.text));
    // A row the sign cuts is shown in red.
    if (rowWidthPane_->property("cut").toBool() != row.active) {
        rowWidthPane_->setProperty("cut", row.active);
        rowWidthPane_->setStyleSheet(
            row.active ? QStringLiteral("color: #c00000; font-weight: bold;") : QString());
    }
}

void CMainFrame::setGraphicPanes(std::optional<std::pair<int, int>> cursor,
                                 std::optional<std::pair<int, int>> size) {
    graphicCursor_ = cursor;
    graphicSize_ = size;
    refreshPanes();
}

void CMainFrame::onCommand(int command) {
    if (CChildFrame* child = activeChild()) child->view().editor().endTypingRun();
    if (auto it = handlers_.find(command); it != handlers_.end()) {
        it->second();
        updateCommandUI();
        return;
    }
    CChildFrame* child = activeChild();
    switch (command) {
        case cmd::kFileNew:
            newDocument();
            break;
        case cmd::kFileOpen: {
            const QString path = QFileDialog::getOpenFileName(this, qtext(msg::kOpenTitle), {},
                                                              qtext(msg::kOpenFilter));
            if (!path.isEmpty()) openDocument(path);
            break;
        }
        case cmd::kFileClose:
            if (child) child->close();
            break;
        case cmd::kFileSave:
            if (child) save(child);
            break;
        case cmd::kFileSaveAs:
            if (child) saveAs(child);
            break;
        case cmd::kAppExit:
            close();
            break;
        case cmd::kLanguage:
            showLanguageDialog();
            break;
        case cmd::kEditUndo:
            if (child) child->doc().document().undo();
            break;
        case cmd::kEditRedo:
            if (child) child->doc().document().redo();
            break;
        case cmd::kEditCopy:
            if (child) child->view().copyToClipboard();
            break;
        case cmd::kEditCut:
            if (child) child->view().cutToClipboard();
            break;
        case cmd::kEditPaste:
            if (child) child->view().pasteFromClipboard();
            break;
        case cmd::kEditSelectAll:
            if (child) child->view().selectAll();
            break;
        case cmd::kViewToolbar:
            toolBar_->setVisible(!toolBar_->isVisible());
            break;
        case cmd::kViewStatusBar:
            statusBar()->setVisible(!statusBar()->isVisible());
            break;
        case cmd::kViewControlBar:
            propertyDock_->setVisible(!propertyDock_->isVisible());
            break;
        case cmd::kWindowCascade:
            mdi_->cascadeSubWindows();
            break;
        case cmd::kWindowTile:
            mdi_->tileSubWindows();
            break;
        case cmd::kAppAbout:
            showAboutBox();
            break;
        case cmd::kEditItem:
            if (child && child->view().editor().itemAtCaret() &&
                child->view().editor().itemAtCaret()->kind == kWindowItem)
                openWindowEditor();
            else
                statusBar()->showMessage(qtext(msg::kNotAvailableYet), 5000);
            break;
        case cmd::kWindowAddArea:
        case cmd::kWindowDeleteArea:
            if (window_) {
                QtPrompter prompter(this);
                if (command == cmd::kWindowAddArea)
                    window_->addArea(prompter);
                else
                    window_->deleteArea(prompter);
                if (windowChild_) windowChild_->view().viewport()->update();
                propertyBar_->rebuild();
            }
            break;
        case cmd::kPreview:
            openPreview();
            break;
        case cmd::kWindowOrder:
            if (window_) window_->beginOrderPass();
            break;
        case cmd::kEndEditWindowText:
            endWindowFile();
            break;
        default:
            statusBar()->showMessage(qtext(msg::kNotAvailableYet), 5000);
            break;
    }
    updateCommandUI();
}

// ---- Documents ---------------------------------------------------------------

CChildFrame* CMainFrame::activeChild() const {
    QMdiSubWindow* w = mdi_->activeSubWindow();
    if (!w) {
        const auto list = mdi_->subWindowList();
        w = list.isEmpty() ? nullptr : list.back();
    }
    if (w && !qobject_cast<CChildFrame*>(w))
        return qobject_cast<CChildFrame*>(w->property(kOwnerDocumentProperty).value<QObject*>());
    return qobject_cast<CChildFrame*>(w);
}

std::vector<CChildFrame*> CMainFrame::children() const {
    std::vector<CChildFrame*> out;
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (auto* c = qobject_cast<CChildFrame*>(w)) out.push_back(c);
    return out;
}

void CMainFrame::attach(CChildFrame* child) {
    mdi_->addSubWindow(child);
    CLumavoxView& view = child->view();
    connect(&view, &CLumavoxView::stateChanged, this, [this, child] {
        if (child == activeChild()) {
            propertyBar_->rebuild();
            updateCommandUI();
        }
    });
    connect(&view, &CLumavoxView::pointerScreen, this, [this](int screen) {
        pointerScreen_ = screen;
        refreshPanes();
    });
    connect(&view, &CLumavoxView::command, this, [this](int id) { runCommand(id); });
    connect(child, &QObject::destroyed, this, [this] {
        // The menu bar of "no document" comes back after the last close.
        QTimer::singleShot(0, this, [this] {
            rebuildMenuBar();
            propertyBar_->rebuild();
            updateCommandUI();
        });
    });
    view.setEditState(modes_.mode(), textEditingAllowed(modes_.mode(), false));
    connect(&child->doc(), &CLumavoxDoc::changed, this, [this, child](unsigned) {
        if (child == windowChild_ && windowChild_) windowChild_->view().viewport()->update();
        updateModifiedMark();
    });
    child->showMaximized();
    view.setFocus();
    rebuildMenuBar();
    propertyBar_->rebuild();
    updateCommandUI();
}

CChildFrame* CMainFrame::newDocument() {
    NewDocumentDialog dialog(context_, this);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return newDocument(dialog.signWidth(), dialog.signHeight(), dialog.colourType());
}

CChildFrame* CMainFrame::newDocument(int width, int height, int colourType) {
    WorkArea work;
    const std::string refusal =
        makeNewDocument({width, height, colourType}, context_.mode(), *context_.clock, work);
    if (!refusal.empty()) {
        showMessage(this, refusal, Icon::Exclamation);
        return nullptr;
    }
    auto doc = std::make_unique<CLumavoxDoc>(context_.mode(), *context_.clock, ++untitled_);
    doc->document().adopt(std::move(work), false);
    auto* child =
        new CChildFrame(context_, std::move(doc), [this](CChildFrame* c) { return askToSave(c); });
    attach(child);
    return child;
}

CChildFrame* CMainFrame::openDocument(const QString& path) {
    const QString canonical = QFileInfo(path).absoluteFilePath();
    for (CChildFrame* c : children())
        if (c->doc().hasPath() && QFileInfo(c->doc().path()).absoluteFilePath() == canonical) {
            mdi_->setActiveSubWindow(c);
            return c;
        }
    auto doc = std::make_unique<CLumavoxDoc>(context_.mode(), *context_.clock, 0);
    OpenOptions options;
    options.mode = context_.mode();
    options.fontCheck = programDirFontCheck(context_.environment.dataDir);
    std::string error;
    std::vector<std::string> warnings;
    if (!doc->document().open(ss(canonical), options, error, &warnings)) {
        showMessage(this, error, Icon::Exclamation);
        return nullptr;
    }
    for (const std::string& w : warnings)
        showMessage(this, w, Icon::Information);
    auto* child =
        new CChildFrame(context_, std::move(doc), [this](CChildFrame* c) { return askToSave(c); });
    attach(child);
    addRecentFile(canonical);
    return child;
}

bool CMainFrame::save(CChildFrame* child) {
    if (!child->doc().hasPath()) return saveAs(child);
    std::string error;
    if (!child->doc().document().save(error)) {
        showMessage(this, error, Icon::Error);
        return false;
    }
    statusBar()->showMessage(qtext(msg::kReadyPrompt));
    return true;
}

bool CMainFrame::saveAs(CChildFrame* child, const QString& givenPath) {
    QString path = givenPath;
    if (path.isEmpty()) {
        const QString suggested =
            child->doc().hasPath() ? child->doc().path() : child->doc().title() + ".glm";
        path = saveAsQuestion_(suggested);
        if (path.isEmpty()) return false;
    }
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".glm");
    std::string error;
    if (!child->doc().document().saveAs(ss(path), error)) {
        showMessage(this, error, Icon::Error);
        return false;
    }
    addRecentFile(QFileInfo(path).absoluteFilePath());
    return true;
}

bool CMainFrame::askToSave(CChildFrame* child) {
    if (!child->doc().document().modified()) return true;
    mdi_->setActiveSubWindow(child);
    switch (saveQuestion_(child->doc().title())) {
        case QMessageBox::Yes:
        case QMessageBox::Save:
            return save(child);
        case QMessageBox::No:
        case QMessageBox::Discard:
            return true;
        default:
            return false;
    }
}

bool CMainFrame::closeAll() {
    for (CChildFrame* child : children()) {
        if (!askToSave(child)) return false;
    }
    // Every question was answered: nothing more to ask while closing.
    for (CChildFrame* child : children()) {
        delete child;
    }
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (preview_) preview_->close();
    if (!closeAll()) {
        event->ignore();
        return;
    }
    event->accept();
}

void CMainFrame::addRecentFile(const QString& path) {
    context_.recentFiles().add(ss(path));
    rebuildMenuBar();
}

void CMainFrame::openRecentFile(int index) {
    const std::vector<std::string>& files = context_.recentFiles().files();
    if (index < 0 || static_cast<size_t>(index) >= files.size()) return;
    const std::string path = files[static_cast<size_t>(index)];
    if (!QFileInfo::exists(qs(path))) {
        showMessage(this, textf(msg::kRecentFileGone, {path}), Icon::Exclamation);
        context_.recentFiles().remove(path);
        rebuildMenuBar();
        return;
    }
    openDocument(qs(path));
}

PreviewWindow* CMainFrame::openPreview() {
    CChildFrame* child = activeChild();
    if (!child || preview_ || modes_.mode() != kModeText) return nullptr;
    const TextFile* file = child->doc().document().currentFile();
    if (!file) return nullptr;
    // The player plays a copy: the document may change while it runs.
    preview_ = new PreviewWindow(*this, child->doc().document().work(), file->name.str(), this);
    modes_.openPreview();
    modeChanged();
    preview_->show();
    return preview_;
}

void CMainFrame::previewClosed() {
    if (modes_.mode() == kModePreview) modes_.closePreview();
    modeChanged();
}

void CMainFrame::modeChanged() {
    const int mode = modes_.mode();
    for (CChildFrame* c : children()) {
        const bool editsWindowFile = mode == kModeWindowFile && c == windowChild_;
        c->view().setEditState(mode, textEditingAllowed(mode, editsWindowFile));
    }
    rebuildMenuBar();
    propertyBar_->rebuild();
    updateCommandUI();
    updateModifiedMark();
}

bool CMainFrame::openWindowEditor() {
    CChildFrame* child = activeChild();
    if (!child || window_ || modes_.mode() != kModeText) return false;
    window_ = WindowEditSession::open(child->doc().document(), child->view().editor().caret());
    if (!window_) return false;
    windowChild_ = child;
    // The window editor lives as long as its document's window.
    connect(child, &QObject::destroyed, this, [this, child] {
        if (windowChild_ != child) return;
        window_.reset();
        windowChild_ = nullptr;
        modes_.closeWindowEditor();
        QTimer::singleShot(0, this, [this] { modeChanged(); });
    });
    modes_.openWindowEditor();
    child->view().setWindowSession(window_.get());
    modeChanged();
    return true;
}

bool CMainFrame::leaveWindowEditor() {
    if (!window_) return true;
    QtPrompter prompter(this);
    if (!window_->tryLeave(prompter)) return false;
    if (windowChild_) windowChild_->view().setWindowSession(nullptr);
    window_.reset();
    windowChild_ = nullptr;
    modes_.closeWindowEditor();
    modeChanged();
    return true;
}

void CMainFrame::endWindowFile() {
    if (!window_ || modes_.mode() != kModeWindowFile) return;
    window_->endEditAreaFile();
    modes_.endWindowFile();
    if (windowChild_) windowChild_->view().setWindowSession(window_.get());
    modeChanged();
}

void CMainFrame::handlePropertyRequest(const PropertyResult& result) {
    QtPrompter prompter(this);
    switch (result.request) {
        case PropertyRequest::OpenWindowEditor:
            openWindowEditor();
            break;
        case PropertyRequest::LeaveWindowEditor:
            // The checks passed in the engine already.
            if (windowChild_) windowChild_->view().setWindowSession(nullptr);
            window_.reset();
            windowChild_ = nullptr;
            modes_.closeWindowEditor();
            modeChanged();
            break;
        case PropertyRequest::EditAreaFile:
            modes_.beginWindowFile();
            modeChanged();
            if (windowChild_) windowChild_->view().setFocus();
            break;
        case PropertyRequest::ReturnToWindowEditor:
            modes_.endWindowFile();
            modeChanged();
            break;
        case PropertyRequest::ChooseAreaFile: {
            if (!windowChild_) break;
            // "Insert a window file to a sub-window": the window file manager
            // that also sets the selected area's call.
            WindowFileManager files(windowChild_->doc().document(),
                                    windowChild_->view().defaultFont(), window_.get());
            CWindowFileDlg dialog(context_.language, files, this);
            dialog.exec();
            windowChild_->view().viewport()->update();
            break;
        }
        case PropertyRequest::OpenGraphicEditor:
        case PropertyRequest::ReturnFromGraphic:
            if (auto it = handlers_.find(cmd::kEditItem); it != handlers_.end())
                it->second();
            else
                statusBar()->showMessage(qtext(msg::kNotAvailableYet), 5000);
            break;
        default:
            break;
    }
    propertyBar_->rebuild();
    updateCommandUI();
}

void CMainFrame::onSubWindowActivated() {
    propertyBar_->rebuild();
    updateCommandUI();
    updateModifiedMark();
}

void CMainFrame::updateModifiedMark() {
    // A maximised document lends its title to the window; the mark follows the
    // document's modified flag whichever window was active when it changed
    // (the graphic editor's, while it stores its graphic).
    CChildFrame* child = activeChild();
    const bool modified = child && child->doc().document().modified();
    if (child) child->setWindowModified(modified);
    // Only a title that holds the document's (maximised) has a place for it.
    if (windowTitle().contains(QStringLiteral("[*]")) || !modified) setWindowModified(modified);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) openDocument(url.toLocalFile());
    event->acceptProposedAction();
}

void CMainFrame::showLanguageDialog() {
    if (!context_.language) return;
    LanguageDialog dialog(*context_.language, this);
    if (dialog.exec() == QDialog::Accepted) retranslate();
}

void CMainFrame::showAboutBox() {
    AboutBox box(context_.language, this);
    if (box.exec() == QDialog::Accepted && box.companyRequested()) {
        CompanyBox company(context_.language, this);
        company.exec();
    }
}

void CMainFrame::retranslate() {
    rebuildMenuBar();
    toolBar_->setWindowTitle(qtext(msg::kToolbarTitle));
    propertyDock_->setWindowTitle(qtext(msg::kPropertyBarTitle));
    statusBar()->showMessage(qtext(msg::kReadyPrompt));
    propertyBar_->rebuild();
    updateCommandUI();
}

}  // namespace lumavox::ui
