// The NVS family's "Update Files" dialog, offscreen: the Update menu commands
// open it, "Update" sends the demonstration document through the scriptable
// control to the virtual sign (signsim --nvs) on loopback TCP while the window
// keeps running, the check boxes go back to the settings, and "Stop" or
// closing the window during a send end the run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "LinkTestSupport.h"
#include "UiTestSupport.h"
#include "app/Demo.h"
#include "embedded/EmbeddedResources.h"
#include "editing/InsertItems.h"
#include "operations/ControlSetup.h"
#include "strings/CommandIds.h"
#include "ui/dialogs/CommDialogs.h"
#include "ui/dialogs/ControlUpdateDlg.h"
#include "ui/dialogs/UpdateDlg.h"
#include "ui/frame/LumavoxDoc.h"
#include "ui/views/LumavoxView.h"

namespace lumavox {
namespace {

using test::Driver;
using test::FrameFixture;
using ui::CControlUpdateDlg;

// An NVS window whose control is registered from its program folder, with the
// demonstration document open and the settings of a run against `sim`.
struct NvsWindow {
    FrameFixture f{SignMode::NVS};

    explicit NvsWindow(const test::Signsim* sim = nullptr) {
        ::setenv("NVSOCX_TEST_TIMINGS", "20,5000,2000", 1);
        f.context().resources = &embeddedResources();
        EXPECT_EQ(PrepareControl(f.home(), embeddedResources()), "");
        Settings& s = *f.context().settings;
        s.sendType = SendType::TcpIp;
        s.tcpGroups = {{"G", "127.0.0.1"}};
        s.lastGroupName = "G";
        s.tcpPort = sim ? sim->port() : 1;
        s.address = "1";
        s.alwaysDisplay = false;
        ui::CChildFrame* child = f.frame().newDocument(160, 16, 0);
        child->doc().document().adopt(makeDemoWorkArea(*f.context().clock));
        f.frame().updateCommandUI();
    }
    const WorkArea& work() { return f.frame().activeChild()->doc().document().work(); }
};

// What the driver saw of the message boxes, answered as it goes.
struct Boxes {
    std::vector<QString> seen;
    bool answerYes = true;
};

// Calls `step` with the "Update Files" dialog every 5 ms until it returns true.
// Message boxes are recorded and answered (questions by `boxes.answerYes`), so
// a failing run cannot hang the test; the driver also runs inside the nested
// loop of a box that a button of the dialog opened.
[[nodiscard]] Driver driveControlDialog(std::function<bool(CControlUpdateDlg*)> step,
                                        Boxes& boxes) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, step, &boxes] {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            boxes.seen.push_back(box->text());
            if (box->button(QMessageBox::Yes))
                box->button(boxes.answerYes ? QMessageBox::Yes : QMessageBox::No)->click();
            else
                box->accept();
            return;
        }
        auto* d = qobject_cast<CControlUpdateDlg*>(w);
        if (d && step(d)) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
    return Driver{timer};
}

// Presses a button once the driver's step has returned: what the press opens
// (a message box) is then answered by the driver.
void pressLater(QPushButton* button) {
    QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
}

std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

TEST(ControlUpdateDialog, TheNvsMenuCommandsOpenItWithTheirTitles) {
    NvsWindow w;
    const std::pair<int, const char*> commands[] = {
        {cmd::kSendAll, "Send all of text files, graphics"},
        {cmd::kAdjustTime, "Adjust time"},
        {cmd::kSignOff, "Turn the Sign OFF"},
        {cmd::kSignOn, "Turn the Sign ON"},
        {cmd::kClearSign, "Clear all memory"},
        {cmd::kSetDefaultFile, "Set run sequence"},
    };
    for (const auto& [command, title] : commands) {
        QString shown;
        bool idle = false;
        Boxes boxes;
        Driver driver = driveControlDialog(
            [&](CControlUpdateDlg* d) {
                shown = d->windowTitle();
                // Nothing starts before "Update"; "Stop" then closes.
                idle = !d->running() && d->updateButton()->isEnabled() &&
                       d->resultList()->count() == 0;
                d->stopButton()->click();
                return true;
            },
            boxes);
        ASSERT_TRUE(w.f.frame().runCommand(command)) << title;
        EXPECT_EQ(shown.toStdString(), title);
        EXPECT_TRUE(idle) << title;
        EXPECT_TRUE(boxes.seen.empty()) << title;
    }
}

TEST(ControlUpdateDialog, UpdateSendsTheDocumentAndTheChecksPersist) {
    test::TempDir logDir;
    const std::string log = (logDir / "sign.jsonl").string();
    test::Signsim sim({"--nvs", "--tcp", "0", "--log", log});
    ASSERT_TRUE(sim.started());
    NvsWindow w(&sim);
    Settings& s = *w.f.context().settings;
    s.clearAllMemory = 2;  // the second send option is not this dialog's
    s.checkResponseEachSignNvs = true;

    QStringList lines;
    int stage = 0, range = 0;
    bool initialChecks = false;
    Boxes boxes;
    Driver driver = driveControlDialog(
        [&](CControlUpdateDlg* d) {
            if (stage == 0) {
                initialChecks = !d->clearMemoryBox()->isChecked() && d->checkEachBox()->isChecked();
                stage = 1;
                d->updateButton()->click();
                return false;
            }
            if (d->running()) {
                EXPECT_FALSE(d->updateButton()->isEnabled());
                return false;
            }
            lines = d->resultLines();
            range = d->progressBar()->maximum();
            // `make screenshot` keeps a picture of the dialog after the send.
            if (const char* shot = std::getenv("LUMAVOX_NVS_UPDATE_DIALOG_PNG"))
                d->grab().save(shot);
            d->clearMemoryBox()->setChecked(true);
            d->checkEachBox()->setChecked(false);
            d->stopButton()->click();  // nothing is sending: "Stop" closes
            return true;
        },
        boxes);
    ASSERT_TRUE(w.f.frame().runCommand(cmd::kSendAll));

    EXPECT_TRUE(initialChecks);
    EXPECT_TRUE(boxes.seen.empty()) << boxes.seen.front().toStdString();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.back(), "All are over!");
    EXPECT_TRUE(lines.contains("All data had been sent to sign(1) in IP 127.0.0.1 successfully!"))
        << lines.join('\n').toStdString();
    EXPECT_GT(range, 1);

    // What the sign stored: every text file, every graphic as a picture.
    const std::string stored = slurp(log);
    for (const TextFile& f : w.work().textFiles) {
        if (f.kind != kTextFile) continue;
        EXPECT_NE(stored.find("nvs text " + lower(f.name.str()) + " "), std::string::npos)
            << f.name.str();
    }
    for (const GraphicFile& g : w.work().graphics)
        EXPECT_NE(stored.find("nvs disk " + lower(g.name.str()) + ".bmp "), std::string::npos)
            << g.name.str();

    // The check boxes went back to the settings and through the store.
    EXPECT_EQ(s.clearAllMemory, 3);
    EXPECT_FALSE(s.checkResponseEachSignNvs);
    const Settings saved = w.f.context().store->LoadSettings();
    EXPECT_EQ(saved.clearAllMemory, 3);
    EXPECT_FALSE(saved.checkResponseEachSignNvs);
}

TEST(ControlUpdateDialog, StopDuringASendEndsTheRunAndTheDialogStays) {
    test::Signsim sim({"--nvs", "--tcp", "0", "--nvs-silent"});
    ASSERT_TRUE(sim.started());
    NvsWindow w(&sim);
    QStringList lines;
    int stage = 0, ticksWhileSending = 0;
    bool stoppedButOpen = false;
    Boxes boxes;
    Driver driver = driveControlDialog(
        [&](CControlUpdateDlg* d) {
            if (stage == 0) {
                stage = 1;
                d->updateButton()->click();
                return false;
            }
            if (stage == 1) {
                // The silent sign never answers: the run waits after the data,
                // while the window goes on (this driver is one of its timers).
                ++ticksWhileSending;
                if (!d->running() || d->progressBar()->value() == 0) return false;
                stage = 2;
                pressLater(d->stopButton());
                return false;
            }
            if (d->running() || boxes.seen.empty()) return false;
            lines = d->resultLines();
            stoppedButOpen = !d->running() && d->updateButton()->isEnabled() && d->isVisible() &&
                             d->progressBar()->value() == 0;
            d->stopButton()->click();  // now it closes
            return true;
        },
        boxes);
    ASSERT_TRUE(w.f.frame().runCommand(cmd::kSendAll));
    EXPECT_GT(ticksWhileSending, 0);
    EXPECT_TRUE(stoppedButOpen);
    EXPECT_TRUE(lines.contains("Is stop sending...")) << lines.join('\n').toStdString();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.back(), "Stop send over!");
    EXPECT_FALSE(lines.contains("All are over!"));
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0], "Cancelled by user");
}

TEST(ControlUpdateDialog, ClosingDuringASendAsksAndStopsFirst) {
    test::Signsim sim({"--nvs", "--tcp", "0", "--nvs-silent"});
    ASSERT_TRUE(sim.started());
    NvsWindow w(&sim);
    int stage = 0;
    bool keptRunning = false;
    QPointer<CControlUpdateDlg> dialog;
    Boxes boxes;
    boxes.answerYes = false;
    Driver driver = driveControlDialog(
        [&](CControlUpdateDlg* d) {
            dialog = d;
            if (stage == 0) {
                stage = 1;
                d->updateButton()->click();
                return false;
            }
            if (stage == 1) {
                if (!d->running()) return false;
                stage = 2;
                // Answered "No": the send goes on.
                QMetaObject::invokeMethod(d, &QWidget::close, Qt::QueuedConnection);
                return false;
            }
            if (stage == 2 && boxes.seen.size() == 1) {
                keptRunning = d->running() && d->isVisible();
                stage = 3;
                // Answered "Yes": stopped, then closed.
                boxes.answerYes = true;
                QMetaObject::invokeMethod(d, &QWidget::close, Qt::QueuedConnection);
            }
            return false;
        },
        boxes);
    ASSERT_TRUE(w.f.frame().runCommand(cmd::kSendAll));
    EXPECT_TRUE(keptRunning);
    EXPECT_TRUE(dialog.isNull());  // closed and gone
    ASSERT_EQ(boxes.seen.size(), 3u);
    EXPECT_EQ(boxes.seen[0], boxes.seen[1]);  // the question, twice
    EXPECT_EQ(boxes.seen[2], "Cancelled by user");
}

TEST(ControlUpdateDialog, AFailedTargetIsShownAndTheNextOneIsSent) {
    test::Signsim sim({"--nvs", "--tcp", "0"});
    ASSERT_TRUE(sim.started());
    NvsWindow w(&sim);
    // Nothing listens on 127.0.0.2: the sign is bound to 127.0.0.1 only.
    w.f.context().settings->tcpGroups = {{"G", "127.0.0.2,127.0.0.1"}};
    QStringList lines;
    int stage = 0;
    Boxes boxes;
    Driver driver = driveControlDialog(
        [&](CControlUpdateDlg* d) {
            if (stage == 0) {
                stage = 1;
                pressLater(d->updateButton());
                return false;
            }
            if (d->running() || !d->updateButton()->isEnabled()) return false;
            lines = d->resultLines();
            d->stopButton()->click();
            return true;
        },
        boxes);
    ASSERT_TRUE(w.f.frame().runCommand(cmd::kSignOff));
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_TRUE(boxes.seen[0].contains("127.0.0.2")) << boxes.seen[0].toStdString();
    EXPECT_TRUE(lines.contains("All data had been sent to sign(1) in IP 127.0.0.1 successfully!"))
        << lines.join('\n').toStdString();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.back(), "All are over!");
}

TEST(ControlUpdateDialog, ChangeAddressAsksForTheAddressesThenSendsThem) {
    test::TempDir logDir;
    const std::string log = (logDir / "sign.jsonl").string();
    test::Signsim sim({"--nvs", "--tcp", "0", "--log", log});
    ASSERT_TRUE(sim.started());
    NvsWindow w(&sim);
    QString title;
    QStringList lines;
    int stage = 0;
    Boxes boxes;
    Driver driver = driveControlDialog(
        [&](CControlUpdateDlg* d) {
            if (stage == 0) {
                title = d->windowTitle();
                stage = 1;
                d->updateButton()->click();
                return false;
            }
            if (d->running()) return false;
            lines = d->resultLines();
            d->stopButton()->click();
            return true;
        },
        boxes);
    test::answerNextDialog([](QWidget* dialog) {
        auto* change = qobject_cast<ui::CChangeAddressDlg*>(dialog);
        ASSERT_NE(change, nullptr);
        change->oldAddress()->setValue(1);
        change->newAddress()->setValue(5);
        change->accept();
    });
    ASSERT_TRUE(w.f.frame().runCommand(cmd::kChangeAddress));
    EXPECT_EQ(title, "Change address");
    EXPECT_TRUE(boxes.seen.empty()) << boxes.seen.front().toStdString();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.back(), "All are over!");
    EXPECT_NE(slurp(log).find("nvs address 1 -> 5"), std::string::npos) << slurp(log);
}

TEST(ControlUpdateDialog, TheKv2FamilyKeepsTheOperationDialog) {
    FrameFixture f;
    ui::CChildFrame* child = f.frame().newDocument(160, 16, 0);
    child->doc().document().adopt(makeDemoWorkArea(*f.context().clock));
    f.context().settings->alwaysDisplay = false;
    f.context().settings->address = "";  // refused before anything is sent
    QString title;
    test::answerNextDialog([&](QWidget* w) {
        title = w->windowTitle();
        ASSERT_NE(qobject_cast<ui::CUpdateDlg*>(w), nullptr);
        qobject_cast<ui::CUpdateDlg*>(w)->closeButton()->click();
    });
    ASSERT_TRUE(f.frame().runCommand(cmd::kAdjustTime));
    EXPECT_EQ(title, "Adjust time");
}

TEST(ControlUpdateDialog, AControlThatCannotBePreparedAsksToSaveBeforeTheProgramEnds) {
    // A settings store where no control is registered, and no control to
    // unpack: the dialog cannot create it and the program must end.
    test::TempDir config;
    const std::string oldConfig = std::getenv("LUMAVOX_CONFIG_DIR");
    ::setenv("LUMAVOX_CONFIG_DIR", (config / "user").c_str(), 1);
    {
        FrameFixture f{SignMode::NVS};
        ui::CChildFrame* child = f.frame().newDocument(160, 16, 0);
        TextEditor& editor = child->view().editor();
        insertChecked(editor, makeCharacterItem('Z', editor.attributes()));
        ASSERT_TRUE(child->doc().document().modified());
        QStringList boxes;
        QTimer answer;
        answer.setInterval(5);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes << box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        answer.start();
        QStringList asked;
        QMessageBox::StandardButton reply = QMessageBox::Cancel;
        f.frame().setSaveQuestion([&](const QString& title) {
            asked << title;
            return reply;
        });

        // Cancelled: the program stays with the document.
        f.frame().updateCommandUI();
        ASSERT_TRUE(f.frame().runCommand(cmd::kSendAll));
        ASSERT_EQ(boxes.size(), 2);
        EXPECT_TRUE(boxes[1].endsWith("Now program will exit!")) << boxes[1].toStdString();
        EXPECT_EQ(asked.size(), 1);
        EXPECT_TRUE(f.frame().isVisible());
        EXPECT_EQ(f.frame().children().size(), 1u);

        // Answered: the window closes after the question.
        reply = QMessageBox::Discard;
        ASSERT_TRUE(f.frame().runCommand(cmd::kSendAll));
        EXPECT_EQ(asked.size(), 2);
        EXPECT_FALSE(f.frame().isVisible());
        EXPECT_TRUE(f.frame().children().empty());
    }
    ::setenv("LUMAVOX_CONFIG_DIR", oldConfig.c_str(), 1);
}

}  // namespace
}  // namespace lumavox
