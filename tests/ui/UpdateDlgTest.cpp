// The operation dialog and the communication settings dialogs, offscreen:
// refusals with their exact texts, cancel changing nothing, and Update > All,
// Read > Text File and "Close" during a stalled transfer against the virtual
// sign on loopback TCP.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <cstdlib>

#include "LinkTestSupport.h"
#include "UiTestSupport.h"
#include "app/Demo.h"
#include "app/UpdateDialog.h"
#include "content/Schedule.h"
#include "strings/CommandIds.h"
#include "ui/dialogs/CommDialogs.h"
#include "ui/dialogs/ScheduleDlg.h"
#include "ui/dialogs/UpdateDlg.h"
#include "ui/frame/LumavoxDoc.h"

namespace lumavox {
namespace {

using test::Driver;
using test::FrameFixture;
using test::pressInNextBox;
using ui::CUpdateDlg;

// Calls `step` with the operation dialog every 5 ms until it returns true.
// Questions are answered "Yes" and kept in `questions`; other message boxes
// are kept in `boxes` and closed, so that a failing run cannot hang the test.
// The timer goes when the step is done or, at the latest, with the returned
// guard.
[[nodiscard]] Driver driveUpdateDialog(std::function<bool(CUpdateDlg*)> step,
                                       std::vector<QString>* boxes,
                                       std::vector<QString>* questions = nullptr) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, step, boxes, questions] {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            if (QAbstractButton* yes = box->button(QMessageBox::Yes)) {
                if (questions) questions->push_back(box->text());
                yes->click();
                return;
            }
            if (boxes) boxes->push_back(box->text());
            box->accept();
            return;
        }
        auto* d = qobject_cast<CUpdateDlg*>(w);
        if (d && step(d)) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
    return Driver{timer};
}

// The settings of a run against `sim`: the TCP/IP group "G" of 127.0.0.1.
void useSign(FrameFixture& f, const test::Signsim& sim) {
    Settings& s = *f.context().settings;
    s.sendType = SendType::TcpIp;
    s.tcpGroups = {{"G", "127.0.0.1"}};
    s.lastGroupName = "G";
    s.tcpPort = sim.port();
    s.address = "1";
    s.alwaysDisplay = false;
}

ui::CChildFrame* openDemo(FrameFixture& f) {
    ui::CChildFrame* child = f.frame().newDocument(160, 16, 0);
    child->doc().document().adopt(makeDemoWorkArea(*f.context().clock));
    f.frame().updateCommandUI();
    return child;
}

// ---- Settings dialogs -------------------------------------------------------------

TEST(CommDialogs, TcpGroupRefusesBlankNameAndIpList) {
    FrameFixture f;
    ui::CTcpGroupDlg dialog(f.context(), {});
    QString seen;
    pressInNextBox("OK", &seen);
    dialog.accept();
    EXPECT_EQ(seen, "Group name can't be left blank!");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    dialog.name()->setText("Hall");
    pressInNextBox("OK", &seen);
    dialog.accept();
    EXPECT_EQ(seen, "IP address can't be left blank!");
    dialog.addresses()->setText("10.0.0.5,10.0.0.6");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.group(), (TcpIpGroup{"Hall", "10.0.0.5,10.0.0.6"}));
}

TEST(CommDialogs, AddressListRefusalsKeepTheOldValue) {
    FrameFixture f;
    f.context().settings->address = "1";
    const std::pair<const char*, const char*> refused[] = {
        {"", "The address of moving-sign that will receive message can't be empty!"},
        {",1", "The first char of sign address must be a number, please re-enter!"},
        {"1-", "The last char of sign address must be a number, please re-enter!"},
        {"1,,2", "The character string of sign address is invalidation, please re-enter!"},
    };
    for (const auto& [input, refusal] : refused) {
        ui::CComportAddrDlg dialog(f.context());
        dialog.address()->setText(input);
        QString seen;
        pressInNextBox("OK", &seen);
        dialog.accept();
        EXPECT_EQ(seen.toStdString(), refusal) << input;
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(f.context().settings->address, "1");
    }
    ui::CComportAddrDlg dialog(f.context());
    dialog.address()->setText("3-1,7");
    dialog.alwaysDisplay()->setChecked(false);
    dialog.accept();
    EXPECT_EQ(f.context().settings->address, "3-1,7");
    EXPECT_FALSE(f.context().settings->alwaysDisplay);
    // Saved through the store.
    EXPECT_EQ(f.context().store->LoadSettings().address, "3-1,7");
}

TEST(CommDialogs, CancelChangesNothing) {
    FrameFixture f;
    const Settings before = *f.context().settings;
    {
        ui::CCommOptionDlg dialog(f.context());
        dialog.tcp()->setChecked(true);
        dialog.port()->setValue(6000);
        dialog.hangUp()->setChecked(false);
        dialog.reject();
    }
    {
        ui::CComportAddrDlg dialog(f.context());
        dialog.address()->setText("9");
        dialog.reject();
    }
    {
        ui::CBaudRateDlg dialog(f.context(), false);
        dialog.baud()->setCurrentIndex(7);
        dialog.reject();
    }
    {
        ui::CAutoOnOffDlg dialog(f.context());
        dialog.onAuto()->setChecked(true);
        dialog.reject();
    }
    EXPECT_EQ(*f.context().settings, before);
    EXPECT_EQ(f.context().store->LoadSettings(), f.context().store->LoadSettings());
}

TEST(CommDialogs, CommunicationOptionSavesRouteGroupsAndPort) {
    FrameFixture f;
    ui::CCommOptionDlg dialog(f.context());
    dialog.tcp()->setChecked(true);
    dialog.port()->setValue(6001);
    test::answerNextDialog([](QWidget* w) {
        auto* group = qobject_cast<ui::CTcpGroupDlg*>(w);
        ASSERT_NE(group, nullptr);
        group->name()->setText("Shop");
        group->addresses()->setText("127.0.0.1");
        group->accept();
    });
    dialog.addGroup();
    ASSERT_EQ(dialog.groups().size(), 1u);
    dialog.accept();
    const Settings stored = f.context().store->LoadSettings();
    EXPECT_EQ(stored.sendType, SendType::TcpIp);
    EXPECT_EQ(stored.tcpPort, 6001);
    ASSERT_EQ(stored.tcpGroups.size(), 1u);
    EXPECT_EQ(stored.tcpGroups[0], (TcpIpGroup{"Shop", "127.0.0.1"}));
    EXPECT_EQ(stored.lastGroupName, "Shop");
}

// The TCP/IP half lists each group with its addresses and deletes as the GPRS
// half does: a group must be chosen, and the user is asked first.
TEST(CommDialogs, TcpGroupsAreListedWithTheirAddressesAndDeletedOnlyWhenConfirmed) {
    FrameFixture f;
    f.context().settings->tcpGroups = {{"Shop", "127.0.0.1,10.0.0.2"}, {"Hall", "10.0.0.9"}};
    ui::CCommOptionDlg dialog(f.context());
    dialog.tcp()->setChecked(true);
    ASSERT_EQ(dialog.groupList()->count(), 2);
    EXPECT_EQ(dialog.groupList()->item(0)->text(), "Shop<=>127.0.0.1,10.0.0.2");
    EXPECT_EQ(dialog.editButton()->text(), "Edit");

    QString seen;
    dialog.groupList()->setCurrentRow(-1);
    pressInNextBox("OK", &seen);
    dialog.deleteGroup();
    EXPECT_EQ(seen, "Please select a group to be deleted firstly!");
    EXPECT_EQ(dialog.groups().size(), 2u);

    dialog.groupList()->setCurrentRow(1);
    pressInNextBox("No", &seen);
    dialog.deleteGroup();
    EXPECT_EQ(seen, "Are you sure to delete group 'Hall'?");
    EXPECT_EQ(dialog.groups().size(), 2u);
    pressInNextBox("Yes", &seen);
    dialog.deleteGroup();
    ASSERT_EQ(dialog.groups().size(), 1u);
    EXPECT_EQ(dialog.groups()[0].name, "Shop");
    EXPECT_EQ(dialog.groupList()->currentRow(), 0);

    // The GPRS half's edit button opens the group editor.
    dialog.gprs()->setChecked(true);
    EXPECT_EQ(dialog.editButton()->text(), "Edit Group...");
    dialog.tcp()->setChecked(true);
    EXPECT_EQ(dialog.editButton()->text(), "Edit");
    dialog.reject();
}

TEST(CommDialogs, OperationDialogsRefuseWithTheirTexts) {
    FrameFixture f;
    ui::CChangeAddressDlg address(f.context());
    QString seen;
    pressInNextBox("OK", &seen);
    address.accept();
    EXPECT_EQ(seen,
              "Sorry,the new address and the old address can't be 0# when change sign's "
              "address!");
    address.oldAddress()->setValue(3);
    address.newAddress()->setValue(3);
    pressInNextBox("OK", &seen);
    address.accept();
    EXPECT_EQ(seen, "The new address is same with the old address!");
    EXPECT_EQ(address.result(), QDialog::Rejected);

    ui::CSetDefaultDlg def(f.context(), {"Main", "News"});
    pressInNextBox("OK", &seen);
    def.accept();
    EXPECT_EQ(seen, "Please select a file to be set to sign firstly!");
    def.files()->setCurrentRow(1);
    def.accept();
    EXPECT_EQ(def.chosen(), "News");

    // The sign's new baud rate leaves the PC's own one alone.
    f.context().settings->baudRateIndex = 3;
    ui::CBaudRateDlg baud(f.context(), true);
    EXPECT_EQ(baud.windowTitle(), "Set the sign's baud rate to another");
    baud.baud()->setCurrentIndex(7);
    baud.accept();
    EXPECT_EQ(baud.chosenIndex(), 7);
    EXPECT_EQ(f.context().settings->baudRateIndex, 3);
}

TEST(UpdateDialog, LooksDifferByKind) {
    EXPECT_EQ(updateDialogLook(UpdateKind::SendText).titleId, 0);
    EXPECT_TRUE(updateDialogLook(UpdateKind::SendGraphic).graphicOptions);
    EXPECT_TRUE(updateDialogLook(UpdateKind::ReadText).readsDirectory);
    EXPECT_TRUE(updateDialogLook(UpdateKind::SendSchedule).closesItself);
    EXPECT_FALSE(updateDialogLook(UpdateKind::TestDisplay).closesItself);
    EXPECT_TRUE(updateDialogLook(UpdateKind::ReadMemory).showsResult);
    EXPECT_FALSE(updateDialogLook(UpdateKind::ReadText).showsResult);
}

TEST(UpdateDialog, TextFilesWithNoneTickedAreRefused) {
    FrameFixture f;
    openDemo(f);
    CUpdateDlg dialog(f.frame(), UpdateKind::SendText);
    EXPECT_EQ(dialog.windowTitle(), "Update text file");
    EXPECT_GT(dialog.fileListBox()->count(), 0);
    QString seen;
    pressInNextBox("OK", &seen);
    dialog.startRun();
    EXPECT_EQ(seen, "Please select one or more files which to be updated firstly!");
    EXPECT_EQ(dialog.finishedRuns(), 0);
}

TEST(UpdateDialog, SendAllShowsTheClearItSendsAndLetsNobodyUntickIt) {
    FrameFixture f;
    ui::CChildFrame* child = openDemo(f);
    ASSERT_FALSE(child->doc().document().work().graphics.empty());
    {
        CUpdateDlg dialog(f.frame(), UpdateKind::SendAll);
        EXPECT_TRUE(dialog.clearMemoryBox()->isChecked());
        EXPECT_FALSE(dialog.clearMemoryBox()->isEnabled());
    }
    // Without graphic files the clear does not go out, and the box says so.
    child->doc().document().changeWorkArea([](WorkArea& w) {
        w.graphics.clear();
        return true;
    });
    {
        CUpdateDlg dialog(f.frame(), UpdateKind::SendAll);
        EXPECT_FALSE(dialog.clearMemoryBox()->isChecked());
        EXPECT_FALSE(dialog.clearMemoryBox()->isEnabled());
    }
    // Text files: the user's own choice.
    CUpdateDlg text(f.frame(), UpdateKind::SendText);
    EXPECT_TRUE(text.clearMemoryBox()->isEnabled());
}

// ---- Against the virtual sign ------------------------------------------------------

TEST(UpdateDialogSign, SendAllThenReadTheFilesBackAndMerge) {
    test::Signsim sim({"--tcp", "0", "--address", "1"});
    ASSERT_TRUE(sim.started());
    FrameFixture f;
    useSign(f, sim);
    ui::CChildFrame* child = openDemo(f);
    const WorkArea& work = child->doc().document().work();
    std::vector<QString> boxes;

    QString sendStatus;
    std::pair<int, int> bar;
    Driver sending = driveUpdateDialog(
        [&](CUpdateDlg* d) {
            if (d->finishedRuns() < 1) return false;
            sendStatus = d->statusText();
            bar = {d->progressBar()->value(), d->progressBar()->maximum()};
            // `make screenshot` keeps a picture of the dialog after the send.
            if (const char* shot = std::getenv("LUMAVOX_UPDATE_DIALOG_PNG")) d->grab().save(shot);
            d->pressClose();
            return true;
        },
        &boxes);
    ASSERT_TRUE(f.frame().runCommand(cmd::kSendAll));
    EXPECT_EQ(sendStatus, "All of text files,graphics,schedules are sended successfully!");
    // The bar stays full after the run.
    EXPECT_GT(bar.second, 0);
    EXPECT_EQ(bar.first, bar.second);
    EXPECT_TRUE(boxes.empty()) << boxes.front().toStdString();

    // The sign holds every graphic of the document.
    std::vector<std::string> graphics;
    Driver readingGraphics = driveUpdateDialog(
        [&](CUpdateDlg* d) {
            if (d->finishedRuns() < 1) return false;
            for (int i = 0; i < d->fileListBox()->count(); ++i)
                graphics.push_back(d->fileListBox()->item(i)->text().toStdString());
            d->pressClose();
            return true;
        },
        &boxes);
    ASSERT_TRUE(f.frame().runCommand(cmd::kReadGraphic));
    EXPECT_EQ(graphics.size(), work.graphics.size());
    for (const GraphicFile& g : work.graphics)
        EXPECT_NE(std::find(graphics.begin(), graphics.end(), g.name.str()), graphics.end());

    // Every text file, and "Main" read back and merged with "Yes".
    std::vector<std::string> texts;
    int state = 0;
    std::vector<QString> questions;
    Driver readingTexts = driveUpdateDialog(
        [&](CUpdateDlg* d) {
            if (state == 0 && d->finishedRuns() >= 1) {
                for (int i = 0; i < d->fileListBox()->count(); ++i)
                    texts.push_back(d->fileListBox()->item(i)->text().toStdString());
                EXPECT_TRUE(d->fileListBox()->tick("Main"));
                state = 1;
                QTimer::singleShot(0, d, [d] { d->readFiles(); });
            } else if (state == 1 && d->finishedRuns() >= 2) {
                EXPECT_EQ(d->outcome().merged, 1);
                d->pressClose();
                return true;
            }
            return false;
        },
        &boxes, &questions);
    ASSERT_TRUE(f.frame().runCommand(cmd::kReadText));
    EXPECT_EQ(texts, sendableFiles(work, UpdateKind::SendText));
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0],
              "Text file 'Main' has exist in current active TEXT WORK AREA.Are you "
              "overwrite it?");
    EXPECT_TRUE(child->doc().document().modified());
    EXPECT_TRUE(boxes.empty()) << boxes.front().toStdString();
}

TEST(UpdateDialogSign, AScheduleReadBackIsShownThenKeptWhenTheUserSaysYes) {
    test::Signsim sim({"--tcp", "0", "--address", "1"});
    ASSERT_TRUE(sim.started());
    FrameFixture f;
    useSign(f, sim);
    ui::CChildFrame* child = openDemo(f);
    const std::vector<ScheduleTask> sent = child->doc().document().work().tasks;
    ASSERT_FALSE(sent.empty());
    auto closeWhenDone = [](CUpdateDlg* d) {
        if (d->finishedRuns() < 1) return false;
        d->pressClose();
        return true;
    };
    std::vector<QString> boxes;
    Driver sending = driveUpdateDialog(closeWhenDone, &boxes);
    ASSERT_TRUE(f.frame().runCommand(cmd::kSendAll));  // the schedule goes with the files
    ASSERT_TRUE(child->doc().document().changeWorkArea([](WorkArea& w) {
        w.tasks.clear();
        return true;
    }));

    // After the operation dialog: the tasks received are shown in the
    // read-back form, confirmed, and the question that follows answered Yes.
    size_t shown = 0;
    QString question;
    auto* answer = new QTimer;
    answer->setInterval(5);
    QObject::connect(answer, &QTimer::timeout, [&, answer] {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* form = qobject_cast<ui::CScheduleDlg*>(w)) {
            shown = form->tasks().size();
            form->accept();
        } else if (auto* box = qobject_cast<QMessageBox*>(w); box && shown > 0) {
            question = box->text();
            box->button(QMessageBox::Yes)->click();
            answer->stop();
            answer->deleteLater();
        }
    });
    answer->start();
    Driver answering{answer};
    Driver readingSchedule = driveUpdateDialog(closeWhenDone, &boxes);
    ASSERT_TRUE(f.frame().runCommand(cmd::kReadSchedule));
    EXPECT_EQ(shown, sent.size());
    EXPECT_EQ(question.toStdString(), receivedScheduleQuestion());
    EXPECT_EQ(child->doc().document().work().tasks, sent);
    EXPECT_TRUE(child->doc().document().modified());
    EXPECT_TRUE(boxes.empty()) << boxes.front().toStdString();
}

TEST(UpdateDialogSign, ReadDisplaysShowTheirLines) {
    test::Signsim sim({"--tcp", "0", "--address", "1"});
    ASSERT_TRUE(sim.started());
    FrameFixture f;
    useSign(f, sim);
    openDemo(f);
    QString lines;
    Driver reading = driveUpdateDialog(
        [&](CUpdateDlg* d) {
            if (d->finishedRuns() < 1) return false;
            lines = d->resultLines();
            d->pressClose();
            return true;
        },
        nullptr);
    ASSERT_TRUE(f.frame().runCommand(cmd::kReadMemory));
    EXPECT_TRUE(lines.startsWith("Text Used:\t")) << lines.toStdString();
    EXPECT_EQ(lines.count('\n'), 3);
}

TEST(UpdateDialogSign, CloseDuringAStalledTransferCancelsIt) {
    test::Signsim sim({"--tcp", "0", "--address", "1", "--stall-after", "2"});
    ASSERT_TRUE(sim.started());
    FrameFixture f;
    useSign(f, sim);
    openDemo(f);
    int ticksWhileBusy = 0;
    int ticksAfterCancel = 0;
    bool pressed = false;
    QString status;
    OperationOutcome outcome;
    Driver sending = driveUpdateDialog(
        [&](CUpdateDlg* d) {
            if (d->busy()) {
                ++ticksWhileBusy;
                if (pressed) ++ticksAfterCancel;
                // The transfer has stalled once a frame waits for its handshake.
                if (!pressed && d->statusText().contains("Frame")) {
                    d->pressClose();
                    pressed = true;
                }
                return false;
            }
            if (d->finishedRuns() < 1) return false;
            status = d->statusText();
            outcome = d->outcome();
            d->pressClose();
            return true;
        },
        nullptr);
    ASSERT_TRUE(f.frame().runCommand(cmd::kSendAll));
    EXPECT_TRUE(pressed);
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.resultText.find("Cancelled by user"), std::string::npos)
        << outcome.resultText;
    // The first frame carried the clear: the last status line says so.
    EXPECT_TRUE(status.contains("The memory of the sign at address #1 was cleared before the stop"))
        << status.toStdString();
    // The window went on handling events while the exchange ran.
    EXPECT_GT(ticksWhileBusy, 1);
}

}  // namespace
}  // namespace lumavox
