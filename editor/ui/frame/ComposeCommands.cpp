#include "ui/frame/ComposeCommands.h"

#include <QLineEdit>
#include <QListWidget>

#include "app/DialogTexts.h"
#include "content/EditRules.h"
#include "content/GraphicRules.h"
#include "content/Vocabulary.h"
#include "content/WindowLayout.h"
#include "editing/InsertItems.h"
#include "editing/WindowFileManager.h"
#include "render/FontSet.h"
#include "render/TextDots.h"
#include "strings/CommandIds.h"
#include "ui/bridge/QtBridge.h"
#include "ui/dialogs/FileManageDialogs.h"
#include "ui/dialogs/InsertDialogs.h"
#include "ui/dialogs/TextGraphicDialog.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/LumavoxDoc.h"
#include "ui/frame/MainFrame.h"
#include "ui/views/LumavoxView.h"

namespace lumavox::ui {

namespace {

// The active document's view, or null.
CLumavoxView* activeView(CMainFrame& frame) {
    CChildFrame* child = frame.activeChild();
    return child ? &child->view() : nullptr;
}

template <typename Names>
QStringList toList(const Names& names) {
    QStringList list;
    for (const auto& n : names)
        list << qs(std::string(n));
    return list;
}

// Inserts an item at the view's caret with the editing rules' checks.
std::string insertInto(CLumavoxView& view, TextItem item) {
    return insertChecked(view.editor(), std::move(item));
}

// A one-list insert dialog whose choice makes the item.
void insertFromList(CMainFrame& frame, int templateId, const QStringList& choices,
                    const std::function<TextItem(int index)>& make) {
    CLumavoxView* view = activeView(frame);
    if (!view) return;
    CChoiceDlg dialog(
        frame.context().language, templateId, choices, 0,
        [view, &make](int index) { return insertInto(*view, make(index)); }, &frame);
    dialog.exec();
}

// ---- Insert ---------------------------------------------------------------------

void insertGraphic(CMainFrame& frame) {
    CLumavoxView* view = activeView(frame);
    if (!view) return;
    const WorkArea& work = view->doc().document().work();
    QStringList names;
    for (const GraphicFile& g : work.graphics)
        names << qs(g.name.str());
    insertFromList(frame, kInsertGraphicDialog, names, [view](int index) {
        const GraphicFile& g = view->doc().document().work().graphics[static_cast<size_t>(index)];
        return makeGraphicItem(g, view->editor().attributes().flash);
    });
}

void insertWindow(CMainFrame& frame) {
    CLumavoxView* view = activeView(frame);
    if (!view) return;
    CInsertWindowDlg dialog(frame.context().language, &frame);
    if (dialog.exec() != QDialog::Accepted) return;
    const WorkArea& work = view->doc().document().work();
    std::vector<TextItem> items;
    items.push_back(
        TextItem::window(makeWindowControl(dialog.layoutType(), work.signWidth, work.signHeight)));
    TextEditor& editor = view->editor();
    if (!editor.insertItems(std::move(items))) return;
    // The window editor opens on the control just inserted.
    editor.setCaret(editor.caret() - 1);
    frame.openWindowEditor();
}

void insertDateTime(CMainFrame& frame) {
    CLumavoxView* view = activeView(frame);
    if (!view) return;
    QStringList names;
    for (const NamedFormat& f : dateTimeFormats())
        names << qs(std::string(f.name));
    insertFromList(frame, kInsertDateTimeDialog, names, [view](int index) {
        return makeDateTimeItem(dateTimeFormats()[static_cast<size_t>(index)].code,
                                view->editor().attributes());
    });
}

void insertMove(CMainFrame& frame) {
    CLumavoxView* view = activeView(frame);
    if (!view) return;
    CInsertMoveDlg dialog(
        frame.context().language, frame.context().mode(),
        [view](int in, int out) { return insertInto(*view, makeMoveItem(in, out)); }, &frame);
    dialog.exec();
}

void insertRowSpace(CMainFrame& frame) {
    CLumavoxView* view = activeView(frame);
    if (!view) return;
    const int height = view->doc().document().work().signHeight;
    QStringList entries;
    for (const std::string& e : rowPitchEntries(frame.context().mode(), height))
        entries << qs(e);
    insertFromList(frame, kInsertRowSpaceDialog, entries, makeRowPitchItem);
}

void insertTemperature(CMainFrame& frame) {
    CLumavoxView* view = activeView(frame);
    if (!view) return;
    insertFromList(frame, kInsertTemperatureDialog, toList(temperatureNames()), [view](int index) {
        return makeTempCounterItem(index, view->editor().attributes());
    });
}

void insertInclude(CMainFrame& frame) {
    CLumavoxView* view = activeView(frame);
    if (!view) return;
    const std::vector<std::string> targets = includeTargets(view->doc().document().work());
    insertFromList(frame, kInsertIncludeDialog, toList(targets), [&targets](int index) {
        return makeIncludeItem(targets[static_cast<size_t>(index)]);
    });
}

void insertCounter(CMainFrame& frame) {
    CLumavoxView* view = activeView(frame);
    if (!view) return;
    CInsertCounterDlg dialog(
        frame.context().language, frame.context().clock->localNow(),
        [view](int format, const TimeStamp& target) {
            return insertInto(*view,
                              makeTempCounterItem(format, view->editor().attributes(), target));
        },
        &frame);
    dialog.exec();
}

void insertCharacters(CMainFrame& frame) {
    CLumavoxView* view = activeView(frame);
    if (!view) return;
    view->ensureFonts();
    const int height = view->doc().document().work().signHeight;
    auto insert = [view](int code) {
        return insertInto(
            *view, makeCharacterItem(static_cast<uint16_t>(code), view->editor().attributes()));
    };
    CMyPropertySheet sheet(frame.context().language, view->fonts(), height, insert, &frame);
    sheet.exec();
}

// Any text drawn as one graphic, in a font of the user's choice, at the
// caret's attributes.
void insertTextGraphic(CMainFrame& frame) {
    CLumavoxView* view = activeView(frame);
    if (!view) return;
    const CharItem attrs = view->editor().attributes();
    SignTextPainter& automatic = view->textPainter();
    const int rows = std::min(automatic.rowsOf(attrs.font),
                              static_cast<int>(view->doc().document().work().signHeight));
    CTextGraphicDlg dialog(
        [view](const std::string& family) -> SignTextPainter& { return view->textPainter(family); },
        rows, automatic.pixelOf(attrs.colour),
        [view](const std::u32string& text, const std::string& family) {
            std::string refusal;
            view->editor().insertText(text, view->textPainter(family), refusal, true);
            return refusal;
        },
        &frame);
    dialog.exec();
}

// ---- File Manage -------------------------------------------------------------------

QStringList graphicNames(const EditorDocument& doc) {
    QStringList names;
    for (const GraphicFile& g : doc.work().graphics)
        names << qs(g.name.str());
    return names;
}

QStringList filesOfKind(const EditorDocument& doc, uint8_t kind) {
    QStringList names;
    for (const TextFile& f : doc.work().textFiles)
        if (f.kind == kind) names << qs(f.name.str());
    return names;
}

// A new graphic: its name and size, then its item at the caret; the graphic
// editor (Edit on the item) opens on it. True when it was made.
bool newGraphic(CMainFrame& frame, CLumavoxView& view, QWidget* parent) {
    EditorDocument& doc = view.doc().document();
    QtPrompter prompter(parent);
    if (!mayAddGraphic(doc.work(), prompter)) return false;
    std::string made;
    CGraphicInfoDlg dialog(
        frame.context().language, QString(), doc.work().signWidth, doc.work().signHeight, true,
        [&](const std::string& name, int width, int height) {
            std::string refusal;
            doc.changeWorkArea([&](WorkArea& wa) {
                return createGraphic(wa, name, width, height, doc.clock(), refusal);
            });
            if (refusal.empty()) made = trimTrailingBlanks(name);
            return refusal;
        },
        parent);
    if (dialog.exec() != QDialog::Accepted || made.empty()) return false;
    const GraphicFile* g = doc.work().findGraphic(made);
    if (!g) return false;
    TextEditor& editor = view.editor();
    if (insertInto(view, makeGraphicItem(*g, editor.attributes().flash)).empty() &&
        editor.caret() > 0)
        editor.setCaret(editor.caret() - 1);
    frame.updateCommandUI();
    // The graphic editor takes over from here through the Edit command.
    frame.runCommand(cmd::kEditItem);
    return true;
}

void manageGraphics(CMainFrame& frame) {
    CLumavoxView* view = activeView(frame);
    if (!view) return;
    EditorDocument& doc = view->doc().document();
    const LanguageManager* language = frame.context().language;
    CFileListDlg* self = nullptr;
    std::vector<CFileListDlg::Action> actions = {
        {kComposeControl, [&](const std::string&) { return newGraphic(frame, *view, self); }},
        {kComposeControl + 1,
         [&](const std::string& name) {
             if (name.empty()) return false;
             QtPrompter prompter(self);
             doc.changeWorkArea([&](WorkArea& wa) { return deleteGraphic(wa, name, prompter); });
             return false;
         }},
        {kComposeControl + 2,
         [&](const std::string& name) {
             if (name.empty()) return false;
             QtPrompter prompter(self);
             if (!confirmRenameGraphic(doc.work(), name, prompter)) return false;
             CGraphicInfoDlg dialog(
                 language, qs(name), 0, 0, false,
                 [&](const std::string& newName, int, int) {
                     std::string refusal;
                     doc.changeWorkArea([&](WorkArea& wa) {
                         return applyGraphicRename(wa, name, newName, refusal);
                     });
                     return refusal;
                 },
                 self);
             dialog.exec();
             return false;
         }},
    };
    CFileListDlg dialog(
        language, kGraphicManageDialog, [&doc] { return graphicNames(doc); }, std::move(actions),
        &frame);
    self = &dialog;
    dialog.exec();
}

void manageWindowFiles(CMainFrame& frame) {
    CLumavoxView* view = activeView(frame);
    if (!view) return;
    WindowFileManager files(view->doc().document(), view->defaultFont());
    CWindowFileDlg dialog(frame.context().language, files, &frame);
    dialog.exec();
}

void addTextFileCommand(CMainFrame& frame) {
    CLumavoxView* view = activeView(frame);
    if (!view) return;
    EditorDocument& doc = view->doc().document();
    if (std::string refusal = checkCanAddTextFile(doc.work()); !refusal.empty()) {
        showMessage(&frame, refusal, Icon::Exclamation);
        return;
    }
    CharItem marker;
    marker.font = view->defaultFont();
    marker.colour = defaultColour(frame.context().mode());
    std::string added;
    CFileNameDlg dialog(
        frame.context().language, kAddTextFileDialog, QString(),
        [&](const std::string& name) {
            std::string refusal;
            doc.changeWorkArea([&](WorkArea& wa) {
                refusal = addTextFile(wa, name, marker, TimeStamp::now(doc.clock()));
                return refusal.empty();
            });
            if (refusal.empty()) added = trimTrailingBlanks(name);
            return refusal;
        },
        &frame);
    // The new file is the one to write next.
    if (dialog.exec() == QDialog::Accepted && !added.empty()) doc.setCurrentFile(added);
}

void switchTextFile(CMainFrame& frame) {
    CLumavoxView* view = activeView(frame);
    if (!view) return;
    EditorDocument& doc = view->doc().document();
    const QStringList names = filesOfKind(doc, kTextFile);
    const TextFile* current = doc.currentFile();
    const int at = current ? static_cast<int>(names.indexOf(qs(current->name.str()))) : 0;
    CChoiceDlg dialog(
        frame.context().language, kSwitchTextFileDialog, names, at,
        [&](int index) {
            doc.setCurrentFile(ss(names[index]));
            return std::string();
        },
        &frame);
    dialog.exec();
}

void removeTextFile(CMainFrame& frame) {
    CLumavoxView* view = activeView(frame);
    if (!view) return;
    EditorDocument& doc = view->doc().document();
    const QStringList names = filesOfKind(doc, kTextFile);
    const TextFile* current = doc.currentFile();
    const int at = current ? static_cast<int>(names.indexOf(qs(current->name.str()))) : 0;
    CChoiceDlg* self = nullptr;
    CChoiceDlg dialog(
        frame.context().language, kRemoveTextFileDialog, names, at,
        [&](int index) {
            QtPrompter prompter(self);
            doc.changeWorkArea(
                [&](WorkArea& wa) { return deleteTextFile(wa, ss(names[index]), prompter); });
            return std::string();
        },
        &frame);
    self = &dialog;
    dialog.exec();
}

}  // namespace

void installComposeCommands(CMainFrame& frame) {
    CMainFrame* f = &frame;
    frame.setCommandHandler(cmd::kInsertGraphic, [f] { insertGraphic(*f); });
    frame.setCommandHandler(cmd::kInsertWindow, [f] { insertWindow(*f); });
    frame.setCommandHandler(cmd::kInsertDateTime, [f] { insertDateTime(*f); });
    frame.setCommandHandler(cmd::kInsertMove, [f] { insertMove(*f); });
    frame.setCommandHandler(cmd::kInsertRowSpace, [f] { insertRowSpace(*f); });
    frame.setCommandHandler(cmd::kInsertSpeed, [f] {
        insertFromList(*f, kInsertSpeedDialog, toList(speedNames()), makeSpeedItem);
    });
    frame.setCommandHandler(cmd::kInsertPause, [f] {
        insertFromList(*f, kInsertPauseDialog, toList(pauseNames()), makePauseItem);
    });
    frame.setCommandHandler(cmd::kInsertBeep, [f] {
        insertFromList(*f, kInsertBeepDialog, toList(beepNames()), makeBeepItem);
    });
    frame.setCommandHandler(cmd::kInsertTemperature, [f] { insertTemperature(*f); });
    frame.setCommandHandler(cmd::kInsertInclude, [f] { insertInclude(*f); });
    frame.setCommandHandler(cmd::kInsertCounter, [f] { insertCounter(*f); });
    frame.setCommandHandler(cmd::kInsertCharacters, [f] { insertCharacters(*f); });
    frame.setCommandHandler(cmd::kInsertTextGraphic, [f] { insertTextGraphic(*f); });
    frame.setCommandHandler(cmd::kManageGraphics, [f] { manageGraphics(*f); });
    frame.setCommandHandler(cmd::kManageWindowFiles, [f] { manageWindowFiles(*f); });
    frame.setCommandHandler(cmd::kAddTextFile, [f] { addTextFileCommand(*f); });
    frame.setCommandHandler(cmd::kSwitchTextFile, [f] { switchTextFile(*f); });
    frame.setCommandHandler(cmd::kRemoveTextFile, [f] { removeTextFile(*f); });
}

}  // namespace lumavox::ui
