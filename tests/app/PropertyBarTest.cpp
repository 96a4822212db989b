// The property bar's rows, values, hints and actions for each kind of item at
// the caret, for selections, in the window editor and while a window file is
// edited; and the window editor session behind edit modes 1 and 2.
#include "editing/PropertyBar.h"

#include <gtest/gtest.h>

#include "app/AppTestSupport.h"
#include "content/WindowLayout.h"
#include "editing/EditModes.h"
#include "editing/WindowFileManager.h"
#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {
namespace {

using test::EditorFixture;

struct Shown {
    std::string caption;
    std::string value;
};

std::vector<Shown> shown(const PropertyList& list) {
    std::vector<Shown> out;
    for (const PropertyRow& r : list.rows)
        out.push_back({r.caption, r.value});
    return out;
}

std::vector<std::string> hints(const PropertyList& list) {
    std::vector<std::string> out;
    for (const PropertyRow& r : list.rows)
        out.push_back(r.hint);
    return out;
}

bool operator==(const Shown& a, const Shown& b) {
    return a.caption == b.caption && a.value == b.value;
}
void PrintTo(const Shown& s, std::ostream* os) {
    *os << s.caption << "=" << s.value;
}

const std::vector<Shown> kFiveRows = {{"ReName", "Main"},
                                      {"Font", "SS7"},
                                      {"Colo(u)r", "[RED]"},
                                      {"Property", "[Normal]"},
                                      {"Flash", "No Flash"}};

// A document "Main" = "ab" + the control + "c", the caret on the control.
struct ItemFixture : EditorFixture {
    explicit ItemFixture(TextItem item, int mode = kModeText) : EditorFixture("abc") {
        doc.changeCurrent([&](TextFile& f) {
            f.items.insert(f.items.begin() + 2, std::move(item));
            return true;
        });
        editor.setCaret(2);
        context.document = &doc;
        context.editor = &editor;
        context.editMode = mode;
        context.fonts = &test::signFonts();
        editor.setEditable(textEditingAllowed(mode, true));
    }
    PropertyList list() const { return buildPropertyList(context); }
    const ControlParams& params() const { return doc.currentFile()->items[2].params(); }
    PropertyContext context;
    test::ScriptedPrompter prompter{true};
};

TextItem control(uint8_t kind, uint16_t a = 0, uint16_t b = 0, uint16_t c = 0, uint16_t d = 0) {
    return TextItem::control(kind, test::params(a, b, c, d));
}

TextItem counter(uint16_t format, TimeStamp stamp) {
    ControlParams p = test::params(format, 1, 1);
    auto bytes = stamp.bytes();
    std::copy(bytes.begin(), bytes.end(), p.name.bytes.begin());
    return TextItem::control(kTempCounter, p);
}

// ---- Rows while text is edited ----

TEST(PropertyRows, PlainCharacterShowsTheFiveRows) {
    ItemFixture f(control(kSpeed, 0, 0, 2));
    f.editor.setCaret(1);
    PropertyList list = f.list();
    EXPECT_EQ(shown(list), kFiveRows);
    EXPECT_EQ(hints(list), (std::vector<std::string>{
                               "Re-name this text file name to another",
                               "Change the select chars' font or the being used font currently",
                               "Change the select chars' colo(u)r or the being used colo(u)r "
                               "currently",
                               "Set the chars to bold or widen chars", "Set the chars to flash"}));
    EXPECT_EQ(list.rows[0].edit, PropertyEdit::Action);
    EXPECT_EQ(list.rows[0].action, "RENAME");
    EXPECT_EQ(list.rows[2].options.size(), 17u);
    EXPECT_EQ(list.rows[2].selected, 1);
    EXPECT_EQ(list.rows[1].options.size(), static_cast<size_t>(test::signFonts().FontCount()));
    EXPECT_EQ(list.rows[4].options, (std::vector<std::string>{"No Flash", "Flash"}));
}

TEST(PropertyRows, HeaderListsTheTextFilesInTextMode) {
    ItemFixture f(control(kSpeed));
    f.doc.changeWorkArea([](WorkArea& w) {
        w.textFiles.push_back(test::makeTextFile("Other"));
        w.textFiles.push_back(test::makeTextFile("Win", kWindowFile));
        return true;
    });
    PropertyList list = f.list();
    EXPECT_EQ(list.header.entries, (std::vector<std::string>{"Main", "Other"}));
    EXPECT_EQ(list.header.selected, 0);
    EXPECT_TRUE(list.header.enabled);
    EXPECT_EQ(propertyHint(list, -1), "Switch to display another text file");

    PropertyResult r = selectHeaderEntry(f.context, 1);
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(f.doc.currentFile()->name.str(), "Other");

    f.context.editMode = kModeGraphicEditor;
    list = f.list();
    EXPECT_EQ(propertyHint(list, -1), "It is no use");
    EXPECT_FALSE(list.header.enabled);
}

TEST(PropertyRows, SelectionShowsOnlyTheFiveRowsEvenOnAControl) {
    ItemFixture f(control(kSpeed, 0, 0, 2));
    f.editor.select(1, 3);  // "b" and the speed item; the caret before it is not what counts
    f.editor.select(3, 2);
    EXPECT_EQ(f.list().rows.size(), 5u);
    // In mode 2 the return row follows, but still no item rows.
    f.context.editMode = kModeWindowFile;
    PropertyList list = f.list();
    ASSERT_EQ(list.rows.size(), 6u);
    EXPECT_EQ(list.rows[5].caption, "Return");
    EXPECT_EQ(list.rows[5].action, "RETURNTOWINFILE");
    EXPECT_EQ(list.rows[5].hint, "End edit the text file include in window and return window set");
}

TEST(PropertyRows, MixedColoursShowAnEmptyValueAndTakeTheChoice) {
    ItemFixture f(control(kSpeed));
    f.doc.changeCurrent([](TextFile& t) {
        t.items[1].ch().colour = 2;  // "b" green, "a" red
        return true;
    });
    f.editor.select(0, 2);
    PropertyList list = f.list();
    EXPECT_EQ(list.rows[2].value, "");
    EXPECT_FALSE(list.rows[2].selected);
    EXPECT_EQ(list.rows[1].value, "SS7");  // the fonts agree

    PropertyResult r = applyProperty(f.context, PropertyRowId::Colour, "[YEL]", f.prompter);
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(f.doc.currentFile()->items[0].ch().colour, 3);
    EXPECT_EQ(f.doc.currentFile()->items[1].ch().colour, 3);
    EXPECT_EQ(f.list().rows[2].value, "[YEL]");
}

TEST(PropertyRows, Temperature) {
    ItemFixture f(control(kTempCounter, 1, 1, 1));
    PropertyList list = f.list();
    ASSERT_EQ(list.rows.size(), 6u);
    EXPECT_EQ(list.rows[5].caption, "Temperature");
    EXPECT_EQ(list.rows[5].value, "Fahrenheit");
    EXPECT_EQ(list.rows[5].hint, "Set the temperature's format");
    applyPropertyChoice(f.context, PropertyRowId::Temperature, 2, f.prompter);
    EXPECT_EQ(f.params().valueA, 2);
    EXPECT_EQ(f.list().rows[5].value, "Absolute Temperature");
}

TEST(PropertyRows, CountDownCounter) {
    TimeStamp end{5, 4, 3, 2, 1, 25};  // 2025-01-02 03:04:05
    ItemFixture f(counter(20, end));
    PropertyList list = f.list();
    ASSERT_EQ(list.rows.size(), 8u);
    EXPECT_EQ(shown(list)[5], (Shown{"Type", "DE-Counter"}));
    EXPECT_EQ(shown(list)[6], (Shown{"Format", "With HH:MM:SS"}));
    EXPECT_EQ(shown(list)[7], (Shown{"End Date", "2025-1-2 3:04:05"}));
    EXPECT_EQ(list.rows[7].action, "ENDDATE");
    EXPECT_EQ(list.rows[5].hint, "Select the type of counter(Count DOWN or Count UP)");
    EXPECT_EQ(list.rows[6].hint, "Set the format of Count DOWN");
    EXPECT_EQ(list.rows[7].hint, "Set the end date time of Count DOWN");

    PropertyResult r = propertyAction(f.context, "ENDDATE", f.prompter);
    EXPECT_EQ(r.request, PropertyRequest::CounterDateDialog);
    EXPECT_EQ(r.stamp, end);

    CalendarTime later{2030, 6, 7, 8, 9, 10};
    EXPECT_TRUE(setCounterDate(f.context, later, f.prompter).changed);
    EXPECT_EQ(f.list().rows[7].value, "2030-6-7 8:09:10");
    test::ScriptedPrompter p;
    CalendarTime tooLate{2100, 1, 1};
    PropertyResult refused = setCounterDate(f.context, tooLate, p);
    EXPECT_FALSE(refused.changed);
    EXPECT_EQ(refused.error, text(msg::kCounterYearRange));
    ASSERT_EQ(p.shown.size(), 1u);

    // The type changes, the display stays.
    applyPropertyChoice(f.context, PropertyRowId::CounterType, 1, f.prompter);
    EXPECT_EQ(f.params().valueA, 36);
    list = f.list();
    EXPECT_EQ(shown(list)[5], (Shown{"Type", "IN-Counter"}));
    EXPECT_EQ(shown(list)[6], (Shown{"Format", "With HH:MM:SS"}));
    EXPECT_EQ(shown(list)[7], (Shown{"From Date", "2030-6-7 8:09:10"}));
    EXPECT_EQ(list.rows[6].hint, "Set the format of Count UP");
    EXPECT_EQ(list.rows[7].hint, "Set the start date time of Count UP");
    applyPropertyChoice(f.context, PropertyRowId::CounterFormat, 0, f.prompter);
    EXPECT_EQ(f.params().valueA, 32);
    EXPECT_EQ(shown(f.list())[6], (Shown{"Format", "With days"}));
}

TEST(PropertyRows, MoveWithoutOutMethodShowsNone) {
    ItemFixture f(control(kMove, 35, 0));
    PropertyList list = f.list();
    ASSERT_EQ(list.rows.size(), 7u);
    EXPECT_EQ(shown(list)[5], (Shown{"Move In", "[SNOW]"}));
    EXPECT_EQ(shown(list)[6], (Shown{"Move Out", "[NONE]"}));
    EXPECT_EQ(list.rows[6].options.front(), "[NONE]");
    EXPECT_EQ(list.rows[6].options.size(), 45u);
    EXPECT_EQ(list.rows[5].hint, "Set this screen's moving in method");
    EXPECT_EQ(list.rows[6].hint, "Set the previous screen's moving out method");
    applyPropertyChoice(f.context, PropertyRowId::MoveOut, 3, f.prompter);
    EXPECT_EQ(f.params().valueB, 3);
    EXPECT_EQ(shown(f.list())[6], (Shown{"Move Out", "[SLIDE<-]"}));  // stored 3 = method 2
}

TEST(PropertyRows, SpeedPauseBeepDateTimeRowPitchInclude) {
    struct Case {
        TextItem item;
        Shown row;
        std::string hint;
    };
    ControlParams include;
    include.name = "Other";
    std::vector<Case> cases;
    cases.push_back(
        {control(kSpeed, 0, 0, 7), {"Speed", "[Speed 8(Fastest)]"}, "Set the move speed of chars"});
    cases.push_back({control(kPause, 0, 0, 0, 7),
                     {"Pause", "[PAU 60S]"},
                     "Set the time that the chars pause on the moving-sign"});
    cases.push_back({control(kBeep, 2), {"Beep", "Beep 3"}, "Set the beep type"});
    cases.push_back({control(kDateTime, 97, 1, 1),
                     {"Format", "Week2(Monday)"},
                     "Set the date or time's format"});
    cases.push_back({control(kRowPitch, 3), {"Row Pitch", "VS 3"}, "Set the pitch of the rows"});
    cases.push_back({TextItem::control(kInclude, include),
                     {"Call File", "Other"},
                     "Change the text file that be called in win"});
    for (Case& c : cases) {
        ItemFixture f(c.item);
        f.doc.changeWorkArea([](WorkArea& w) {
            w.textFiles.push_back(test::makeTextFile("Other"));
            test::appendEnd(w.textFiles.back());
            return true;
        });
        PropertyList list = f.list();
        ASSERT_EQ(list.rows.size(), 6u) << c.row.caption;
        EXPECT_EQ(shown(list)[5], c.row);
        EXPECT_EQ(list.rows[5].hint, c.hint);
        EXPECT_EQ(list.rows[5].edit, PropertyEdit::Choice);
        EXPECT_TRUE(list.rows[5].selected.has_value()) << c.row.caption;
    }
}

TEST(PropertyRows, ChoicesChangeTheItemAsOneUndoStep) {
    ItemFixture f(control(kSpeed, 0, 0, 2));
    size_t before = f.doc.undoSnapshots();
    EXPECT_TRUE(applyProperty(f.context, PropertyRowId::Speed, "[Speed 5]", f.prompter).changed);
    EXPECT_EQ(f.params().valueC, 4);
    EXPECT_EQ(f.doc.undoSnapshots(), before + 1);
    EXPECT_FALSE(applyPropertyChoice(f.context, PropertyRowId::Speed, 8, f.prompter).changed);
    EXPECT_FALSE(applyPropertyChoice(f.context, PropertyRowId::Pause, 1, f.prompter).changed);
    f.doc.undo();
    EXPECT_EQ(f.params().valueC, 2);
}

TEST(PropertyRows, RowPitchListFollowsTheFamilyAndHeight) {
    ItemFixture f(control(kRowPitch, 3));
    EXPECT_EQ(f.list().rows[5].options.size(), 16u);
    EXPECT_FALSE(applyPropertyChoice(f.context, PropertyRowId::RowPitch, 16, f.prompter).changed);
    EXPECT_TRUE(applyPropertyChoice(f.context, PropertyRowId::RowPitch, 15, f.prompter).changed);
    EditorFixture n("x", SignMode::NVS);
    PropertyContext c{&n.doc, &n.editor, kModeText, nullptr, nullptr};
    n.editor.insertItems({control(kRowPitch, 3)});
    n.editor.setCaret(0);
    ASSERT_EQ(buildPropertyList(c).rows.size(), 6u);
    EXPECT_EQ(buildPropertyList(c).rows[5].options.size(), 10u);
}

TEST(PropertyRows, IncludeRefusesACallOfItself) {
    ControlParams include;
    include.name = "Other";
    ItemFixture f(TextItem::control(kInclude, include));
    f.doc.changeWorkArea([](WorkArea& w) {
        w.textFiles.push_back(test::makeTextFile("Other"));
        test::appendEnd(w.textFiles.back());
        return true;
    });
    test::ScriptedPrompter p;
    PropertyResult r = applyProperty(f.context, PropertyRowId::CallFile, "Main", p);
    EXPECT_FALSE(r.changed);
    EXPECT_EQ(r.error, text(msg::kCallItself));
    EXPECT_EQ(f.params().name.str(), "Other");
}

TEST(PropertyRows, GraphicByMode) {
    ControlParams g;
    g.name = "LOGO";
    ItemFixture f(TextItem::control(kGraphicItem, g));
    PropertyList list = f.list();
    ASSERT_EQ(list.rows.size(), 7u);
    EXPECT_EQ(shown(list)[5], (Shown{"Graphic Name", "LOGO"}));
    EXPECT_EQ(shown(list)[6], (Shown{"Graphic", "Edit"}));
    EXPECT_EQ(list.rows[5].hint, "User-defined graphic's file name");
    EXPECT_EQ(list.rows[6].hint, "Edit user-defined graphic");
    PropertyResult r = propertyAction(f.context, list.rows[6].action, f.prompter);
    EXPECT_EQ(r.request, PropertyRequest::OpenGraphicEditor);
    EXPECT_EQ(r.name, "LOGO");

    f.context.editMode = kModeGraphicEditor;
    f.editor.setEditable(false);
    list = f.list();
    EXPECT_EQ(shown(list)[6], (Shown{"Graphic", "Return"}));
    EXPECT_EQ(list.rows[6].action, "RETURNGRAPHIC");
    EXPECT_EQ(list.rows[6].hint, "End edit user-defined graphic to return to edit normal file");
    EXPECT_TRUE(list.rows[6].enabled);
    EXPECT_FALSE(list.rows[2].enabled);
    EXPECT_EQ(propertyAction(f.context, "RETURNGRAPHIC", f.prompter).request,
              PropertyRequest::ReturnFromGraphic);
    EXPECT_EQ(propertyAction(f.context, "GRAPHIC", f.prompter).request, PropertyRequest::None);
}

TEST(PropertyRows, WindowControlAndTheReturnRowInModeTwo) {
    ItemFixture f(TextItem::window(makeWindowControl(2, 160, 16)));
    PropertyList list = f.list();
    ASSERT_EQ(list.rows.size(), 6u);
    EXPECT_EQ(shown(list)[5], (Shown{"WindowFile", "Edit"}));
    EXPECT_EQ(list.rows[5].action, "WINDOWFILE");
    EXPECT_EQ(list.rows[5].hint, "Set the sub-window's size,position and include file");
    EXPECT_EQ(propertyAction(f.context, "WINDOWFILE", f.prompter).request,
              PropertyRequest::OpenWindowEditor);

    ItemFixture two(control(kBeep, 1), kModeWindowFile);
    list = two.list();
    ASSERT_EQ(list.rows.size(), 7u);
    EXPECT_EQ(shown(list)[5], (Shown{"Beep", "Beep 2"}));
    EXPECT_EQ(list.rows[6].caption, "Return");
    EXPECT_EQ(list.rows[6].hint, "Close the Window file's edit and return to the window's edit");
}

TEST(PropertyRows, RenameThroughThePrompt) {
    ItemFixture f(control(kSpeed));
    EXPECT_EQ(propertyAction(f.context, "RENAME", f.prompter).request,
              PropertyRequest::RenamePrompt);
    test::ScriptedPrompter p;
    PropertyResult refused = renameCurrentFile(f.context, "DEMO", p);
    EXPECT_FALSE(refused.changed);
    EXPECT_EQ(refused.error, text(msg::kNameDemo));
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_TRUE(renameCurrentFile(f.context, "Front", p).changed);
    EXPECT_EQ(f.list().rows[0].value, "Front");
    EXPECT_TRUE(f.doc.modified());
}

// ---- The window editor ----

struct WindowFixture : ItemFixture {
    explicit WindowFixture(WindowControl control) : ItemFixture(TextItem::window(control)) {
        doc.changeWorkArea([](WorkArea& w) {
            for (const char* name : {"WinA", "WinB"}) {
                w.textFiles.push_back(test::makeTextFile(name, kWindowFile));
                test::appendText(w.textFiles.back(), "w", test::charAttrs(1, 1));
                test::appendEnd(w.textFiles.back());
            }
            return true;
        });
        session = WindowEditSession::open(doc, 2);
        context.window = session.get();
        context.editMode = kModeWindowEditor;
        editor.setEditable(false);
    }
    const WindowControl& stored() const { return doc.work().textFiles[0].items[2].window(); }
    std::unique_ptr<WindowEditSession> session;
};

WindowControl twoAreas() {
    WindowControl c = makeWindowControl(kUserDefinedLayout, 160, 16);
    c.areas[0].valueC = 80;
    WindowArea second = c.areas[0];
    second.valueA = 80;
    second.order = 1;
    second.byteE = 4;
    c.areas.push_back(second);
    return c;
}

TEST(WindowEditorRows, AreaRowsAndHints) {
    WindowFixture f(twoAreas());
    ASSERT_NE(f.session, nullptr);
    f.session->select(1);
    PropertyList list = f.list();
    EXPECT_EQ(list.header.entries, (std::vector<std::string>{"Win 1", "Win 2"}));
    EXPECT_EQ(list.header.selected, 1);
    EXPECT_EQ(propertyHint(list, -1), "Display another window's property item");
    EXPECT_EQ(shown(list), (std::vector<Shown>{{"x", "80"},
                                               {"y", "0"},
                                               {"Width", "80"},
                                               {"Height", "16"},
                                               {"Align", "[H-Center,V-Center]"},
                                               {"Call", ""},
                                               {"Edit", ""},
                                               {"End Edit", ""}}));
    EXPECT_EQ(hints(list),
              (std::vector<std::string>{
                  "The WINDOW's X position", "The WINDOW's Y position", "The WINDOW's Width",
                  "The WINDOW's Height", "Set the WINDOW's align",
                  "Set the text file which will run in this window",
                  "Edit the text file which will run in this window",
                  "Close the Window file's edit and return to the normal file's "
                  "edit"}));
    EXPECT_EQ(list.rows[0].edit, PropertyEdit::Number);
    EXPECT_EQ(list.rows[2].maximum, 80);  // x + width stays on the sign
    EXPECT_EQ(list.rows[5].action, "WINFILECALL");
    EXPECT_EQ(list.rows[6].action, "WINFILEEDIT");
    EXPECT_EQ(list.rows[7].action, "WINFILEENDEDIT");

    EXPECT_TRUE(selectHeaderEntry(f.context, 0).request == PropertyRequest::None);
    EXPECT_EQ(f.session->selected(), 0u);
}

TEST(WindowEditorRows, NumbersAndAlignmentChangeTheDocument) {
    WindowFixture f(twoAreas());
    f.session->select(1);
    EXPECT_TRUE(applyProperty(f.context, PropertyRowId::AreaY, "4", f.prompter).changed);
    EXPECT_TRUE(applyProperty(f.context, PropertyRowId::AreaHeight, "10", f.prompter).changed);
    EXPECT_FALSE(applyProperty(f.context, PropertyRowId::AreaX, "4x", f.prompter).changed);
    EXPECT_TRUE(applyProperty(f.context, PropertyRowId::AreaAlign, "[H-Right,V-Bottom]", f.prompter)
                    .changed);
    const WindowArea& a = f.stored().areas[1];
    EXPECT_EQ(a.valueB, 4);
    EXPECT_EQ(a.valueD, 10);
    EXPECT_EQ(a.byteE, 8);
    EXPECT_TRUE(f.doc.canUndo());
}

TEST(WindowEditorRows, PresetGeometryIsFixed) {
    WindowFixture f(makeWindowControl(2, 160, 16));
    PropertyList list = f.list();
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(list.rows[i].enabled);
    EXPECT_TRUE(list.rows[4].enabled);
    EXPECT_FALSE(applyProperty(f.context, PropertyRowId::AreaX, "3", f.prompter).changed);
    EXPECT_FALSE(f.session->addArea(f.prompter));
}

TEST(WindowEditorRows, CallEditAndReturn) {
    WindowFixture f(twoAreas());
    test::ScriptedPrompter p;
    // Nothing called yet: "press Call".
    EXPECT_EQ(propertyAction(f.context, "WINFILEEDIT", p).request, PropertyRequest::None);
    ASSERT_EQ(p.shown.size(), 1u);
    EXPECT_EQ(p.shown[0].text, text(msg::kPressCall));

    PropertyResult choose = propertyAction(f.context, "WINFILECALL", p);
    EXPECT_EQ(choose.request, PropertyRequest::ChooseAreaFile);
    EXPECT_EQ(choose.choices, (std::vector<std::string>{"WinA", "WinB"}));
    EXPECT_TRUE(setAreaCall(f.context, "WinB", p).changed);
    EXPECT_EQ(f.stored().areas[0].name.str(), "WinB");
    EXPECT_EQ(f.list().rows[5].value, "WinB");
    EXPECT_FALSE(setAreaCall(f.context, "Main", p).changed);  // not a window file

    EXPECT_EQ(propertyAction(f.context, "WINFILEEDIT", p).request, PropertyRequest::EditAreaFile);
    EXPECT_EQ(f.session->editMode(), kModeWindowFile);
    EXPECT_EQ(f.doc.currentFile()->name.str(), "WinB");

    // The window file's text rows with the return row last.
    f.context.editMode = kModeWindowFile;
    f.editor.setEditable(true);
    PropertyList list = f.list();
    EXPECT_EQ(list.rows[0].value, "WinB");
    EXPECT_EQ(list.rows.back().action, "RETURNTOWINFILE");
    // The header names the window file being edited, not a text file.
    EXPECT_EQ(list.header.entries, (std::vector<std::string>{"WinB"}));
    EXPECT_EQ(list.header.selected, 0);
    EXPECT_FALSE(list.header.enabled);
    f.editor.type('!');

    EXPECT_EQ(propertyAction(f.context, "RETURNTOWINFILE", p).request,
              PropertyRequest::ReturnToWindowEditor);
    EXPECT_EQ(f.doc.currentFile()->name.str(), "Main");
    EXPECT_EQ(f.session->editMode(), kModeWindowEditor);
    EXPECT_EQ(test::plainText(*f.doc.work().findFile("WinB")), "!w");
}

TEST(WindowEditorRows, TheWindowFileManagerMakesRenamesDeletesAndChoosesTheCall) {
    WindowFixture f(twoAreas());
    test::ScriptedPrompter p;
    WindowFileManager files(f.doc, 1, f.session.get());
    ASSERT_TRUE(files.choosing());
    EXPECT_EQ(files.names(), (std::vector<std::string>{"WinA", "WinB"}));
    EXPECT_EQ(files.current(), "");

    // New: the name rules of every file; the new file ends with its marker.
    EXPECT_EQ(files.create("Main"), text(msg::kNameExists));
    EXPECT_EQ(files.create("DEMO"), text(msg::kNameDemo));
    EXPECT_EQ(files.create("WinC "), "");
    EXPECT_EQ(files.names(), (std::vector<std::string>{"WinA", "WinB", "WinC"}));
    EXPECT_EQ(f.doc.work().findFile("WinC")->items.size(), 1u);

    // Choosing sets the selected area's call as one undo step.
    const size_t steps = f.doc.undoSnapshots();
    EXPECT_TRUE(files.choose("WinC", p));
    EXPECT_EQ(f.stored().areas[0].name.str(), "WinC");
    EXPECT_EQ(f.doc.undoSnapshots(), steps + 1);
    EXPECT_EQ(files.current(), "WinC");
    EXPECT_FALSE(files.choose("Main", p));  // a text file is no window file
    ASSERT_TRUE(f.doc.undo());
    EXPECT_EQ(files.current(), "");
    ASSERT_TRUE(f.doc.redo());
    EXPECT_EQ(files.current(), "WinC");

    // Rename: the area calling the file follows, in the document and in the
    // property bar; an existing name is refused and changes nothing.
    EXPECT_EQ(files.rename("WinC", "WinA"), text(msg::kNameExists));
    EXPECT_EQ(files.rename("WinC", "Front"), "");
    EXPECT_EQ(f.stored().areas[0].name.str(), "Front");
    EXPECT_EQ(f.list().rows[5].value, "Front");

    // Delete asks; the area keeps the name.
    p.answers = {false};
    EXPECT_FALSE(files.remove("Front", p));
    p.answers = {true};
    EXPECT_TRUE(files.remove("Front", p));
    EXPECT_EQ(files.names(), (std::vector<std::string>{"WinA", "WinB"}));
    EXPECT_EQ(f.stored().areas[0].name.str(), "Front");
    EXPECT_FALSE(files.remove("", p));
    EXPECT_EQ(p.shown.back().text, text(msg::kSelectFileFirst));

    // File Manage's own manager chooses nothing.
    WindowFileManager manage(f.doc, 1);
    EXPECT_FALSE(manage.choosing());
    EXPECT_FALSE(manage.choose("WinA", p));
}

TEST(WindowEditorRows, LeavingRunsTheChecks) {
    WindowControl narrow = twoAreas();
    narrow.areas[1].valueC = 23;
    narrow.areas[1].valueA = 137;
    WindowFixture f(narrow);
    test::ScriptedPrompter p;
    EXPECT_EQ(propertyAction(f.context, "WINFILEENDEDIT", p).request, PropertyRequest::None);
    ASSERT_FALSE(p.shown.empty());
    EXPECT_EQ(p.shown[0].text, textf(msg::kAreaTooNarrow, {2}));

    f.session->select(1);
    // No room for 24 dots at x 137: the width is cut to what the sign holds.
    EXPECT_FALSE(applyProperty(f.context, PropertyRowId::AreaWidth, "24", p).changed);
    EXPECT_TRUE(applyProperty(f.context, PropertyRowId::AreaX, "136", p).changed);
    EXPECT_TRUE(applyProperty(f.context, PropertyRowId::AreaWidth, "24", p).changed);
    // No full-screen area: the recommendation with its question, answered No.
    test::ScriptedPrompter no;
    no.answers = {false};
    EXPECT_EQ(propertyAction(f.context, "WINFILEENDEDIT", no).request, PropertyRequest::None);
    no.answers = {true};
    EXPECT_EQ(propertyAction(f.context, "WINFILEENDEDIT", no).request,
              PropertyRequest::LeaveWindowEditor);
}

// ---- The window editor session ----

TEST(WindowEditSessionTest, OpensOnlyOnAWindowControl) {
    EditorFixture f("ab");
    EXPECT_EQ(WindowEditSession::open(f.doc, 0), nullptr);
    EXPECT_EQ(WindowEditSession::open(f.doc, 99), nullptr);
}

TEST(WindowEditSessionTest, AreaChangesAreUndoStepsOfTheOwnerFile) {
    WindowFixture f(twoAreas());
    test::ScriptedPrompter p(true);
    size_t steps = f.doc.undoSnapshots();
    ASSERT_TRUE(f.session->addArea(p));
    EXPECT_EQ(f.stored().areas.size(), 3u);
    EXPECT_EQ(f.session->selected(), 2u);
    ASSERT_TRUE(f.session->move(WindowEditor::Direction::Right));
    EXPECT_EQ(f.stored().areas[2].valueA, 1);
    ASSERT_TRUE(f.session->deleteArea(p));
    EXPECT_EQ(f.stored().areas.size(), 2u);
    EXPECT_EQ(f.doc.undoSnapshots(), steps + 3);

    // Display order by clicks: the second area first.
    f.session->beginOrderPass();
    EXPECT_EQ(f.session->clickArea(1), WindowEditor::ClickResult::Ordered);
    EXPECT_EQ(f.session->clickArea(0), WindowEditor::ClickResult::PassEnded);
    EXPECT_EQ(f.stored().areas[1].order, 0);
    EXPECT_EQ(f.stored().areas[0].order, 1);

    // An undo in the document is what the session edits next. The second
    // click changed no order, so the pass was one step.
    f.doc.undo();
    f.session->select(0);
    ASSERT_TRUE(f.session->setAlignment(0, 1));
    EXPECT_EQ(f.stored().areas.size(), 2u);
    EXPECT_EQ(f.stored().areas[0].order, 0);
}

}  // namespace
}  // namespace lumavox
