// The editor's main window: a multiple-document frame with one edit view per
// open document, the menus of the program's modes (texts from the language
// layer), accelerators, the toolbar, the status bar panes and the property bar.
// Each command calls the engine's operations; which commands can be chosen is
// the engine's decision (editing/EditModes.h), asked whenever the state changes.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMessageBox>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "editing/EditModes.h"
#include "editing/MenuTree.h"
#include "editing/PropertyBar.h"
#include "editing/WindowEditSession.h"
#include "transport/SignLink.h"
#include "ui/frame/EditorContext.h"
#include "ui/preview/PreviewWindow.h"

class QDockWidget;
class QToolBar;

namespace lumavox::ui {

class CChildFrame;
class CLumavoxView;
class CPropertyBar;

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    explicit CMainFrame(EditorContext& context, QWidget* parent = nullptr);
    ~CMainFrame() override;

    EditorContext& context() { return context_; }
    EditModeState& modes() { return modes_; }

    // ---- Documents ----
    // A new document after the sign-size dialog (or with the given size).
    CChildFrame* newDocument();
    CChildFrame* newDocument(int width, int height, int colourType);
    // Opens a document file; a refused file opens nothing and shows the
    // refusal. An already open file is activated instead.
    CChildFrame* openDocument(const QString& path);
    bool save(CChildFrame* child);
    bool saveAs(CChildFrame* child, const QString& path = {});
    CChildFrame* activeChild() const;
    std::vector<CChildFrame*> children() const;
    // Closes every document, asking to save each modified one; false when the
    // user cancelled.
    bool closeAll();

    // ---- Commands ----
    QAction* action(int command) const;
    // Runs a command as the menu would (when it is available).
    bool runCommand(int command);
    // Installs the handler of a command that a later part of the window
    // performs (dialogs, preview, graphic editor); replaces the default.
    void setCommandHandler(int command, std::function<void()> handler);
    // Re-evaluates which commands are available and refreshes the panes.
    void updateCommandUI();
    CommandState commandState() const;
    // The text of a status pane: 1 position, 2 size/screen, 3 caps, 4 num,
    // 5 typing mode, 6 the caret row's width against the sign's.
    QString paneText(int pane) const;
    // After the GPRS monitor was started: why its server could not listen,
    // on the status line (nothing when it started or there is no monitor).
    void showGprsStartError();
    CPropertyBar* propertyBar() const { return propertyBar_; }
    // The program's one link to signs, for every operation of the run.
    CSignLink& signLink() { return signLink_; }

    // ---- The display simulation ----
    // Opens the preview window on the active document's current text file.
    PreviewWindow* openPreview();
    PreviewWindow* preview() const { return preview_; }
    // The preview window closed: back to normal editing.
    void previewClosed();

    // ---- The window editor ----
    // Opens it on the window control at the caret of the active view.
    bool openWindowEditor();
    // Runs the leave checks and closes it; false when it stays open.
    bool leaveWindowEditor();
    WindowEditSession* windowSession() const { return window_.get(); }
    // What the property bar could not finish itself.
    void handlePropertyRequest(const PropertyResult& result);

    // The question asked before a modified document closes: Save, Discard or
    // Cancel. Tests answer it themselves.
    using SaveQuestion = std::function<QMessageBox::StandardButton(const QString& name)>;
    void setSaveQuestion(SaveQuestion question) { saveQuestion_ = std::move(question); }
    // The file dialog of Save As; tests answer it themselves.
    using FileQuestion = std::function<QString(const QString& suggested)>;
    void setSaveAsQuestion(FileQuestion question) { saveAsQuestion_ = std::move(question); }

    // Rebuilds the menus and texts after the language changed.
    void retranslate();
    // Tells every view what the mode lets it do and rebuilds the menus.
    void modeChanged();
    // What the graphic editor shows in the position and size panes.
    void setGraphicPanes(std::optional<std::pair<int, int>> cursor,
                         std::optional<std::pair<int, int>> size);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void createActions();
    QAction* makeAction(const MenuEntry& entry, const std::string& shownText);
    void rebuildMenuBar();
    void fillMenu(QMenu* menu, const std::vector<MenuEntry>& items);
    void fillRecentFiles(QMenu* menu);
    void createToolBar();
    void createStatusBar();
    void createPropertyBar();
    void onCommand(int command);
    void onSubWindowActivated();
    // The window's title carries the modified mark of the active document.
    void updateModifiedMark();
    void attach(CChildFrame* child);
    bool askToSave(CChildFrame* child);
    void addRecentFile(const QString& path);
    void openRecentFile(int index);
    void showLanguageDialog();
    void showAboutBox();
    void refreshPanes();
    const std::vector<MenuEntry>& currentMenu() const;
    void endWindowFile();

    EditorContext& context_;
    CSignLink signLink_;
    EditModeState modes_;
    QMdiArea* mdi_;
    QToolBar* toolBar_ = nullptr;
    QDockWidget* propertyDock_ = nullptr;
    CPropertyBar* propertyBar_ = nullptr;
    std::map<int, QAction*> actions_;
    std::map<int, std::function<void()>> handlers_;
    QLabel* positionPane_ = nullptr;
    QLabel* sizePane_ = nullptr;
    QLabel* capsPane_ = nullptr;
    QLabel* numPane_ = nullptr;
    QLabel* typingPane_ = nullptr;
    QLabel* rowWidthPane_ = nullptr;
    int pointerScreen_ = 0;
    std::optional<std::pair<int, int>> graphicCursor_;
    std::optional<std::pair<int, int>> graphicSize_;
    int untitled_ = 0;
    std::vector<MenuEntry> shownMenu_;
    QPointer<PreviewWindow> preview_;
    std::unique_ptr<WindowEditSession> window_;
    CChildFrame* windowChild_ = nullptr;
    SaveQuestion saveQuestion_;
    FileQuestion saveAsQuestion_;
};

// The Update, Read and Communication Settings commands (ui/dialogs/UpdateCommands.cpp).
void installUpdateCommands(CMainFrame& frame);
// The modem commands (ui/dialogs/ModemDialogs.cpp).
void installModemCommands(CMainFrame& frame);
// The graphic editor and its commands (ui/graphic/GraphicCommands.cpp).
void installGraphicCommands(CMainFrame& frame);
// A window of the work area (the graphic editor) stands for the document
// window named by this property when it is the active one.
inline constexpr const char* kOwnerDocumentProperty = "lumavoxOwnerDocument";

}  // namespace lumavox::ui
