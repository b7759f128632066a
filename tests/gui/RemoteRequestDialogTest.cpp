// The "Quillon remote" and "Remote machine list" dialogs, and the remote menu's command that
// opens them behind the settings lock.
#include "monitoring/ui/RemoteRequestDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

#include <chrono>
#include <filesystem>
#include <functional>

#include "app/MarginsSettings.h"
#include "app/SettingsLock.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/PasswordDialog.h"
#include "app/ui/QuillonApplication.h"
#include "gui/GuiTestSupport.h"
#include "hubsim/HubFolder.h"
#include "hubsim/RequestTaker.h"
#include "monitoring/MachineLists.h"
#include "monitoring/RemoteConfig.h"
#include "monitoring/RemoteRequest.h"
#include "monitoring/ui/RemoteConfigDialog.h"
#include "monitoring/ui/RemoteMachineListDialog.h"
#include "platform/Clock.h"
#include "platform/FileAttributes.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

// Records like the scripted notifier; `hook` runs before each answer, so that a test can play
// the hub while the user is being asked.
class HubSideNotifier final : public Notifier {
public:
    NoticeAnswer show(const Notice& notice) override
    {
        if (hook)
            hook(notice);
        return scripted.show(notice);
    }

    ScriptedNotifier scripted;
    std::function<void(const Notice&)> hook;
};

std::vector<QString> rows(const QListWidget* list)
{
    std::vector<QString> texts;
    for (int row = 0; row < list->count(); ++row)
        texts.push_back(list->item(row)->text());
    return texts;
}

std::vector<QString> items(const QComboBox* box)
{
    std::vector<QString> texts;
    for (int index = 0; index < box->count(); ++index)
        texts.push_back(box->itemText(index));
    return texts;
}

// A hub of twelve slots: MILL 1 on hub 0 port 0 and again on hub 1 port 3, MAZAK 11 on hub
// 1 port 2, six unused slots. The machines' folders lie in the share, as the simulated hub
// keeps them.
class RemoteRequestTest : public ::testing::Test {
protected:
    RemoteRequestTest()
    {
        std::filesystem::create_directories(hub + "_TMP");
        std::string configuration = "NM:MILL 1\r\nDT:" + folder("M1/DOWNLOAD") +
                                    "\r\nDR:" + folder("M1/UPLOAD") + "\r\nNM:LATHE 2\r\n";
        for (int unused = 2; unused < 8; ++unused)
            configuration += "NM:\r\nXX:the hub's own\r\n";
        configuration += "NM:DRILL 9\r\nNM:SAW 10\r\nNM:MAZAK 11\r\nDR:" + folder("M11/UPLOAD") +
                         "\r\nDT:" + folder("M11/DOWNLOAD") + "\r\nNM:MILL 1\r\n";
        test::writeHubFile(hub, "_SETUP\\CairnConf.sys", configuration);
    }

    std::string folder(const std::string& below) const { return hub + "NC/" + below; }
    std::string requestPath() const { return hub + "_TMP/REMOTELOAD.SYS"; }
    std::string request() const { return readFile(requestPath()).value_or("<none>"); }

    std::unique_ptr<RemoteRequestDialog> makeDialog()
    {
        return std::make_unique<RemoteRequestDialog>(dir.workDir(), hub, choices, notifier, files);
    }

    void select(RemoteRequestDialog& dialog, const QString& machine)
    {
        dialog.machineBox()->setCurrentIndex(dialog.machineBox()->findText(machine));
    }

    test::TempWorkDir dir;
    std::string hub = dir.base() + "/hub/";
    RemoteRequestChoices choices;
    HubSideNotifier notifier;
    ScriptedFilePrompter files;
};

// ---------------------------------------------------------------------------------------
// "Remote machine list"
// ---------------------------------------------------------------------------------------

TEST_F(RemoteRequestTest, MachineListAddsDeletesSortsAndWritesTheShownMachines)
{
    dir.workDir().ensureTree();
    test::writeBytes(dir.workDir().tmpFile(kRemoteMachineListFile), "SAW 10\r\nMILL 1\r\n");
    const std::vector<std::string> hubNames = {"MILL 1", "LATHE 2", "DRILL 9", "SAW 10",
                                               "MAZAK 11"};
    RemoteMachineListDialog dialog(dir.workDir(), hubNames, notifier.scripted);
    EXPECT_EQ(dialog.windowTitle(), "Remote machine list");
    EXPECT_EQ(rows(dialog.remoteList()).size(), 5u);
    EXPECT_EQ(rows(dialog.shownList()), (std::vector<QString>{"SAW 10", "MILL 1"}));

    // Nothing chosen on either side: said, nothing changes.
    dialog.addButton()->click();
    dialog.deleteButton()->click();
    EXPECT_EQ(notifier.scripted.texts(),
              (std::vector<std::string>(2, std::string(kSelectMachineFirst))));

    // A name goes over once, however often it is added.
    dialog.remoteList()->setCurrentRow(4);
    dialog.addButton()->click();
    dialog.addButton()->click();
    dialog.remoteList()->setCurrentRow(2);
    dialog.addButton()->click();
    EXPECT_EQ(dialog.shown(),
              (std::vector<std::string>{"SAW 10", "MILL 1", "MAZAK 11", "DRILL 9"}));

    dialog.shownList()->setCurrentRow(1);
    dialog.deleteButton()->click();
    EXPECT_EQ(rows(dialog.shownList()), (std::vector<QString>{"SAW 10", "MAZAK 11", "DRILL 9"}));
    // The deleted row's selection does not pass on to its neighbour.
    dialog.deleteButton()->click();
    EXPECT_EQ(dialog.shown().size(), 3u);
    EXPECT_EQ(notifier.scripted.shown().size(), 3u);

    dialog.sortButton()->click();
    EXPECT_EQ(rows(dialog.shownList()), (std::vector<QString>{"DRILL 9", "MAZAK 11", "SAW 10"}));
    test::saveScreenshot(dialog, "remote-machine-list");

    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(readFile(dir.workDir().tmpFile(kRemoteMachineListFile)).value_or("<none>"),
              "DRILL 9\nMAZAK 11\nSAW 10\n");
}

TEST_F(RemoteRequestTest, MachineListRefusesToWriteAnEmptyListAndStaysOpen)
{
    dir.workDir().ensureTree();
    const std::string listFile = dir.workDir().tmpFile(kRemoteMachineListFile);
    test::writeBytes(listFile, "MILL 1\n");
    RemoteMachineListDialog dialog(dir.workDir(), {"MILL 1"}, notifier.scripted);
    dialog.show();
    dialog.shownList()->setCurrentRow(0);
    dialog.deleteButton()->click();
    dialog.accept();
    EXPECT_EQ(notifier.scripted.texts(),
              std::vector<std::string>{std::string(kNoMachineNamesSpecified)});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(readFile(listFile).value_or("<none>"), "MILL 1\n");
}

TEST_F(RemoteRequestTest, MachineListOffersTheHubsNamesAndSaysWhenTheHubCannotBeRead)
{
    std::vector<QString> offered;
    test::onNextDialog<RemoteMachineListDialog>([&](RemoteMachineListDialog& dialog) {
        offered = rows(dialog.remoteList());
        dialog.reject();
    });
    EXPECT_FALSE(editRemoteMachineList(dir.workDir(), hub, notifier.scripted, nullptr));
    // Unused slots offer nothing; a name the hub gives twice is one machine.
    EXPECT_EQ(offered, (std::vector<QString>{"MILL 1", "LATHE 2", "DRILL 9", "SAW 10", "MAZAK 11",
                                             "MILL 1"}));
    EXPECT_TRUE(notifier.scripted.shown().empty());

    // The hub away: said, and the list can still be pruned.
    offered = {"not opened"};
    test::onNextDialog<RemoteMachineListDialog>([&](RemoteMachineListDialog& dialog) {
        offered = rows(dialog.remoteList());
        dialog.reject();
    });
    editRemoteMachineList(dir.workDir(), dir.base() + "/nohub/", notifier.scripted, nullptr);
    EXPECT_TRUE(offered.empty());
    EXPECT_EQ(notifier.scripted.texts(), std::vector<std::string>{std::string(kHubSetupNotFound)});
}

// ---------------------------------------------------------------------------------------
// "Quillon remote": requests
// ---------------------------------------------------------------------------------------

TEST_F(RemoteRequestTest, DownloadWithFullPathIsIssuedAndFollowedUntilTheHubTakesIt)
{
    auto dialog = makeDialog();
    EXPECT_EQ(dialog->windowTitle(), "Quillon remote");
    // Without a list file every named slot is offered, and none is taken for the user.
    EXPECT_EQ(items(dialog->machineBox()), (std::vector<QString>{"MILL 1", "LATHE 2", "DRILL 9",
                                                                 "SAW 10", "MAZAK 11", "MILL 1"}));
    EXPECT_EQ(dialog->machineBox()->currentIndex(), -1);

    select(*dialog, "MAZAK 11");
    dialog->downloadEdit()->setText("O1234.NC");
    dialog->fullPathBox()->setChecked(true);
    test::saveScreenshot(*dialog, "remote-request");
    // The hub takes the request while the user is asked the second time.
    std::string written;
    int asked = 0;
    notifier.hook = [&](const Notice& notice) {
        if (notice.text == kRequestIssued)
            written = request();
        if (notice.text == kKeepTrying && ++asked == 2)
            std::filesystem::remove(requestPath());
    };
    notifier.scripted.script({NoticeAnswer::Yes, NoticeAnswer::Yes});
    dialog->downloadButton()->click();

    EXPECT_EQ(written, "##10_O1234.NC");
    EXPECT_EQ(notifier.scripted.texts(),
              (std::vector<std::string>{std::string(kRequestIssued), std::string(kKeepTrying),
                                        std::string(kKeepTrying)}));
    EXPECT_EQ(dialog->lastOutcome(), RequestOutcome::Issued);
    EXPECT_FALSE(fileExists(requestPath()));
    EXPECT_EQ(choices.machine, "MAZAK 11");
    EXPECT_TRUE(choices.fullPath);
}

TEST_F(RemoteRequestTest, UploadGoesToTheFirstSlotOfANameAndIsLeftPendingOnNo)
{
    auto dialog = makeDialog();
    // The second MILL 1 (hub 1, port 3) is the same machine to the hub: its first slot.
    dialog->machineBox()->setCurrentIndex(5);
    dialog->uploadEdit()->setText("O0001.NC");
    // An upload never carries the full-path mark.
    dialog->fullPathBox()->setChecked(true);
    dialog->uploadButton()->click();
    EXPECT_EQ(request(), "$0_O0001.NC");
    // The question's No leaves the request to the hub.
    EXPECT_EQ(notifier.scripted.texts(),
              (std::vector<std::string>{std::string(kRequestIssued), std::string(kKeepTrying)}));
}

TEST_F(RemoteRequestTest, APendingRequestIsRefusedByUploadAndOfferedForInterruptionByDownload)
{
    test::writeBytes(requestPath(), "#3_OTHER.NC");
    auto dialog = makeDialog();
    select(*dialog, "MILL 1");
    dialog->downloadEdit()->setText("O1000.NC");
    dialog->uploadEdit()->setText("O2000.NC");

    dialog->uploadButton()->click();
    EXPECT_EQ(notifier.scripted.texts(), std::vector<std::string>{std::string(kUploadPending)});

    // No: the other station's request stays as it is.
    notifier.scripted.clear();
    notifier.scripted.script({NoticeAnswer::No});
    dialog->downloadButton()->click();
    EXPECT_EQ(notifier.scripted.texts(),
              std::vector<std::string>{std::string(kDownloadPendingQuestion)});
    EXPECT_EQ(request(), "#3_OTHER.NC");

    // Yes: it is replaced by ours.
    notifier.scripted.clear();
    notifier.scripted.script({NoticeAnswer::Yes, NoticeAnswer::No});
    dialog->downloadButton()->click();
    EXPECT_EQ(request(), "#0_O1000.NC");
    EXPECT_EQ(notifier.scripted.texts(),
              (std::vector<std::string>{std::string(kDownloadPendingQuestion),
                                        std::string(kRequestIssued), std::string(kKeepTrying)}));
}

TEST_F(RemoteRequestTest, IncompleteOrUnsafeRequestsAreRefusedWithTheirMessages)
{
    auto dialog = makeDialog();
    const struct {
        const char* scenario;
        const char* machine;
        const char* name;
        bool upload;
        std::string_view said;
    } cases[] = {
        {"no machine chosen", nullptr, "O1.NC", false, kNoRequestMachine},
        {"no file named", "LATHE 2", "", false, kNoFileSpecified},
        {"no upload file named", "LATHE 2", "", true, kNoFileSpecified},
        {"a name climbing out of the machine's folder", "LATHE 2", "..\\..\\WINDOWS\\X", false,
         kFileNameParentFolder},
    };
    for (const auto& c : cases) {
        notifier.scripted.clear();
        dialog->machineBox()->setCurrentIndex(c.machine ? dialog->machineBox()->findText(c.machine)
                                                        : -1);
        (c.upload ? dialog->uploadEdit() : dialog->downloadEdit())->setText(c.name);
        (c.upload ? dialog->uploadButton() : dialog->downloadButton())->click();
        EXPECT_EQ(notifier.scripted.texts(), std::vector<std::string>{std::string(c.said)})
            << c.scenario;
        EXPECT_FALSE(fileExists(requestPath())) << c.scenario;
    }
}

TEST_F(RemoteRequestTest, WithoutTheHubsConfigurationNothingIsAskedOfTheHub)
{
    dir.workDir().ensureTree();
    test::writeBytes(dir.workDir().tmpFile(kRemoteMachineListFile), "MILL 1\n");
    std::filesystem::remove(hub + "_SETUP/CairnConf.sys");
    auto dialog = makeDialog();
    // Said on opening; the list file still offers its machines.
    EXPECT_EQ(notifier.scripted.texts(),
              std::vector<std::string>{std::string(kHubSetupNotFoundForRequest)});
    EXPECT_EQ(items(dialog->machineBox()), std::vector<QString>{"MILL 1"});

    select(*dialog, "MILL 1");
    dialog->downloadEdit()->setText("O1.NC");
    dialog->downloadButton()->click();
    dialog->downloadBrowseButton()->click();
    EXPECT_EQ(notifier.scripted.texts(),
              std::vector<std::string>(3, std::string(kHubSetupNotFoundForRequest)));
    EXPECT_TRUE(files.prompts().empty());
    EXPECT_FALSE(fileExists(requestPath()));
}

// ---------------------------------------------------------------------------------------
// "Quillon remote": Browse, the remembered machine, the machine list
// ---------------------------------------------------------------------------------------

TEST_F(RemoteRequestTest, BrowseStartsInTheMachinesFolderAndGivesANameRelativeToIt)
{
    auto dialog = makeDialog();
    select(*dialog, "MAZAK 11");
    const struct {
        const char* scenario;
        bool upload;
        bool fullPath;
        std::string chosen;
        QString expected;
    } cases[] = {
        {"a file in a subfolder of DT:", false, false, folder("M11/DOWNLOAD/JOBS/O1234.NC"),
         "JOBS/O1234.NC"},
        // The hub's share ignores case.
        {"DT: spelled in another case", false, false, folder("m11/download/O7.NC"), "O7.NC"},
        {"a file outside the machine's folders", false, false, hub + "ELSEWHERE/O5.NC", "O5.NC"},
        {"a full path keeps its case", false, true, folder("M11/DOWNLOAD/Job/o1234.nc"),
         QString::fromStdString(folder("M11/DOWNLOAD/Job/o1234.nc"))},
        {"upload below DR:", true, false, folder("M11/UPLOAD/O9.NC"), "O9.NC"},
        // An upload has no full-path form: its name stays relative to DR:.
        {"upload with Use full path", true, true, folder("M11/UPLOAD/Old/O9.NC"), "Old/O9.NC"},
    };
    for (const auto& c : cases) {
        files.script(c.chosen);
        dialog->fullPathBox()->setChecked(c.fullPath);
        (c.upload ? dialog->uploadBrowseButton() : dialog->downloadBrowseButton())->click();
        ASSERT_FALSE(files.prompts().empty());
        const FilePrompt& prompt = files.prompts().back();
        EXPECT_EQ(prompt.title, c.upload ? kUploadBrowseTitle : kDownloadBrowseTitle)
            << c.scenario;
        EXPECT_EQ(prompt.filter, c.upload ? kUploadBrowseFilter : kDownloadBrowseFilter)
            << c.scenario;
        EXPECT_EQ(prompt.directory, folder(c.upload ? "M11/UPLOAD" : "M11/DOWNLOAD"))
            << c.scenario;
        EXPECT_EQ((c.upload ? dialog->uploadEdit() : dialog->downloadEdit())->text(), c.expected)
            << c.scenario;
    }

    // A cancelled dialog leaves the name as it was.
    dialog->downloadBrowseButton()->click();
    EXPECT_EQ(dialog->downloadEdit()->text(), cases[3].expected);
    EXPECT_TRUE(notifier.scripted.shown().empty());
}

TEST_F(RemoteRequestTest, TheChosenMachineIsOfferedAgainAndTheListButtonReloadsTheMachines)
{
    choices.machine = "SAW 10";
    choices.fullPath = true;
    auto dialog = makeDialog();
    EXPECT_EQ(dialog->machineBox()->currentText(), "SAW 10");
    EXPECT_TRUE(dialog->fullPathBox()->isChecked());

    // The list made in the machine list dialog is offered at once, the choice kept.
    test::onNextDialog<RemoteMachineListDialog>([](RemoteMachineListDialog& list) {
        for (const int row : {4, 3}) {
            list.remoteList()->setCurrentRow(row);
            list.addButton()->click();
        }
        list.accept();
    });
    dialog->machineListButton()->click();
    EXPECT_EQ(items(dialog->machineBox()), (std::vector<QString>{"MAZAK 11", "SAW 10"}));
    EXPECT_EQ(dialog->machineBox()->currentText(), "SAW 10");

    select(*dialog, "MAZAK 11");
    dialog->fullPathBox()->setChecked(false);
    EXPECT_EQ(choices.machine, "MAZAK 11");
    EXPECT_FALSE(choices.fullPath);
    // A remembered machine the list no longer offers is not replaced by another.
    choices.machine = "LATHE 2";
    auto next = makeDialog();
    EXPECT_EQ(next->machineBox()->currentIndex(), -1);
}

TEST(RemoteRequestWithSimulatedHub, TheHubCarriesOutADownloadAndAnUploadAskedForHere)
{
    using hubsim::MachineFolder;
    test::TempWorkDir dir;
    const std::string hub = dir.base() + "/hub";
    ASSERT_TRUE(hubsim::writeHubFolder(hubsim::HubModel({3, 1}, 1796709600), hub).ok);
    const auto folder = [&](MachineFolder which) { return hubsim::machineFolder(2, hub, which); };
    test::writeBytes(folder(MachineFolder::Download) + "/O1234.NC", "%\nO1234\n%\n");
    test::writeBytes(folder(MachineFolder::Memory) + "/O0007.NC", "%\nO0007\n%\n");

    // The hub looks while the user is asked whether to keep trying.
    ManualSteadyClock steady;
    FixedClock clock(1796709600);
    hubsim::RequestTaker taker(hub, std::chrono::seconds(0), steady, clock);
    HubSideNotifier notifier;
    std::vector<hubsim::RequestEvent> told;
    notifier.hook = [&](const Notice& notice) {
        if (notice.text == kKeepTrying)
            std::ranges::copy(taker.poll(), std::back_inserter(told));
    };
    notifier.scripted.script({NoticeAnswer::Yes, NoticeAnswer::Yes});
    ScriptedFilePrompter files;
    RemoteRequestChoices choices;
    RemoteRequestDialog dialog(dir.workDir(), hub + "/", choices, notifier, files);
    dialog.machineBox()->setCurrentIndex(2);
    dialog.downloadEdit()->setText("O1234.NC");
    dialog.downloadButton()->click();
    dialog.uploadEdit()->setText("O0007.NC");
    dialog.uploadButton()->click();

    for (const auto& event : told)
        EXPECT_FALSE(event.failure) << event.text;
    EXPECT_EQ(readFile(folder(MachineFolder::Memory) + "/O1234.NC"), "%\nO1234\n%\n");
    EXPECT_EQ(readFile(folder(MachineFolder::Upload) + "/O0007.NC"), "%\nO0007\n%\n");
    // Each request was taken at the first question: no more was asked.
    EXPECT_EQ(notifier.scripted.texts(),
              (std::vector<std::string>{std::string(kRequestIssued), std::string(kKeepTrying),
                                        std::string(kRequestIssued), std::string(kKeepTrying)}));
}

// ---------------------------------------------------------------------------------------
// The remote menu's command
// ---------------------------------------------------------------------------------------

class RemoteRequestCommandTest : public RemoteRequestTest {
protected:
    RemoteRequestCommandTest()
    {
        dir.workDir().ensureTree();
        EXPECT_TRUE(writeRemoteConfig(dir.workDir(), {hub, 0, ""}).ok);
        app = std::make_unique<QuillonApplication>(dir.workDir(), "quillonlt", &notifier, &files);
        EXPECT_EQ(app->start({"quillonlt"}), QuillonApplication::StartResult::Run);
    }

    QAction* command(QMenu* menu) const
    {
        for (QAction* action : menu->actions()) {
            if (action->text() == "&Quillon remote")
                return action;
        }
        return nullptr;
    }
    QAction* remoteCommand() const { return command(app->mainFrame()->remoteMenu()); }

    std::unique_ptr<QuillonApplication> app;
};

TEST_F(RemoteRequestCommandTest, RemoteMenuOpensTheRequestsAndKeepsMachineAndFullPath)
{
    ASSERT_NE(remoteCommand(), nullptr);
    test::onNextDialog<RemoteRequestDialog>([this](RemoteRequestDialog& dialog) {
        select(dialog, "DRILL 9");
        dialog.fullPathBox()->setChecked(true);
        dialog.exitButton()->click();
    });
    remoteCommand()->trigger();
    EXPECT_TRUE(readMarginsFile(dir.workDir()).remoteFullPath);
    EXPECT_TRUE(app->settings().margins.remoteFullPath);

    // Opened again in the same run: the same machine, the box as stored.
    QString machine;
    bool fullPath = false;
    test::onNextDialog<RemoteRequestDialog>([&](RemoteRequestDialog& dialog) {
        machine = dialog.machineBox()->currentText();
        fullPath = dialog.fullPathBox()->isChecked();
        dialog.reject();
    });
    remoteCommand()->trigger();
    EXPECT_EQ(machine, "DRILL 9");
    EXPECT_TRUE(fullPath);
    EXPECT_TRUE(notifier.scripted.shown().empty());
}

TEST_F(RemoteRequestCommandTest, BothQuillonRemoteCommandsAreBehindTheLock)
{
    dir.write(kPasswordFile, "Rgno0\r\n");
    // Settings keeps the hub's configuration.
    QMenu* settings = nullptr;
    for (QMenu* menu : app->mainFrame()->findChildren<QMenu*>()) {
        if (menu->title() == "&Settings")
            settings = menu;
    }
    ASSERT_NE(settings, nullptr);
    bool configurationOpened = false;
    test::onNextDialog<PasswordDialog>([&](PasswordDialog& password) {
        password.passwordEdit()->setText("Shop1");
        password.accept();
        test::onNextDialog<RemoteConfigDialog>([&](RemoteConfigDialog& dialog) {
            configurationOpened = true;
            dialog.reject();
        });
    });
    command(settings)->trigger();
    EXPECT_TRUE(configurationOpened);

    // A refused password opens no request dialog.
    bool requestsOpened = false;
    test::onNextDialog<PasswordDialog>([&](PasswordDialog& password) {
        password.reject();
        test::onNextDialog<RemoteRequestDialog>([&](RemoteRequestDialog& dialog) {
            requestsOpened = true;
            dialog.reject();
        });
    });
    remoteCommand()->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(requestsOpened);

    test::onNextDialog<PasswordDialog>([&](PasswordDialog& password) {
        password.passwordEdit()->setText("Shop1");
        password.accept();
        test::onNextDialog<RemoteRequestDialog>([&](RemoteRequestDialog& dialog) {
            requestsOpened = true;
            dialog.reject();
        });
    });
    remoteCommand()->trigger();
    EXPECT_TRUE(requestsOpened);
}

}  // namespace
}  // namespace quillon
