#include "app/ui/QuillonApplication.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <cctype>

#include "app/MainWindowRect.h"
#include "app/MarginsSettings.h"
#include "app/SettingsLock.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/DesktopCalculator.h"
#include "app/ui/DocumentManager.h"
#include "app/ui/FileUpdateDialog.h"
#include "app/ui/OtherOptionsDialog.h"
#include "app/ui/PasswordDialog.h"
#include "backplot/ui/BackplotColorsDialog.h"
#include "calculators/ui/BoltHoleCircleDialog.h"
#include "calculators/ui/RightAngleTriangleDialog.h"
#include "calculators/ui/SurfaceSpeedDialog.h"
#include "dnc/ComConfFile.h"
#include "dnc/KeptOpenPorts.h"
#include "dnc/ui/PortSetupDialog.h"
#include "editor/ui/ColorsDialog.h"
#include "editor/ui/EditorEnvironment.h"
#include "editor/ui/SelectFolderDialog.h"
#include "monitoring/DirectoryLog.h"
#include "monitoring/HubSetup.h"
#include "monitoring/LinkSetup.h"
#include "monitoring/RemoteConfig.h"
#include "monitoring/ui/HubChannel.h"
#include "monitoring/ui/LocalAddressDialogs.h"
#include "monitoring/ui/MachineSelectionDialog.h"
#include "monitoring/ui/MonitoringListDialog.h"
#include "monitoring/ui/RemoteConfigDialog.h"
#include "monitoring/ui/RemoteRequestDialog.h"
#include "monitoring/ui/StatusColorsDialog.h"
#include "platform/FileAttributes.h"
#include "platform/Paths.h"
#include "platform/ui/FontMapping.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/QtWindowRect.h"

namespace quillon {

namespace {

constexpr char kRestartNeeded[] = "You need to exit and re-enter Quillon LT program";
// The toolbar's (and the docked windows') state in QuillonLT.ini.
constexpr char kBarStateKey[] = "QuillonLTtoolbar";

// The command line with a file argument made absolute: the running program, which may
// get the file, has its own current folder.
std::vector<std::string> normalizedCommandLine(const QStringList& commandLine)
{
    std::vector<std::string> arguments;
    for (qsizetype i = 0; i < commandLine.size(); ++i) {
        QString argument = commandLine[i];
        const bool option = argument.startsWith('-');
        const bool transmit = argument.contains(fromBytes(std::string(kTransmitMarker)));
        if (i > 0 && !option && !transmit && !argument.isEmpty())
            argument = QFileInfo(argument).absoluteFilePath();
        arguments.push_back(toBytes(argument));
    }
    return arguments;
}

const char* fontDialogTitle(FontRole role)
{
    switch (role) {
    case FontRole::Editor:
        return "Editor font";
    case FontRole::Printer:
        return "Printer font";
    case FontRole::PortWindows:
        return "RS232 port font";
    }
    return "Font";
}

// The live flag a View toggle flips (const or not, as the settings are).
template <typename Settings>
auto& flagOf(Settings& settings, ViewToggle toggle)
{
    auto& flags = settings.flags;
    switch (toggle) {
    case ViewToggle::LineNumbers:
        return flags.showLineNumbers;
    case ViewToggle::Spaces:
        return flags.showSpaces;
    case ViewToggle::EndOfBlock:
        return flags.showEndOfBlock;
    case ViewToggle::Colorize:
        return settings.colors.colorsOn;
    case ViewToggle::WheelScrollsAll:
        return flags.wheelScrollsAll;
    case ViewToggle::ScrollBarScrollsAll:
        break;
    }
    return flags.scrollBarScrollsAll;
}

}  // namespace

QuillonApplication::QuillonApplication(WorkDir workDir, QString instanceName, Notifier* notifier,
                                       FilePrompter* files, const Clock* clock, QObject* parent)
    : QObject(parent),
      m_workDir(std::move(workDir)),
      m_clock(clock ? clock : &m_systemClock),
      m_ownNotifier(notifier ? nullptr : std::make_unique<QtNotifier>()),
      m_ownFiles(files ? nullptr : std::make_unique<QtFilePrompter>()),
      m_notifier(notifier ? notifier : m_ownNotifier.get()),
      m_files(files ? files : m_ownFiles.get()),
      m_instance(m_workDir, instanceName),
      m_recentFiles(m_workDir)
{
    connect(&m_instance, &SingleInstance::messageReceived, this, [this](InstanceMessage message) {
        if (m_mainFrame)
            m_mainFrame->bringToFront();
        if (message == InstanceMessage::OpenDropIn)
            openDroppedFile();
        else if (message == InstanceMessage::TransmitHandOff)
            transmitHandedOver(true);
    });
}

QuillonApplication::~QuillonApplication() = default;

QuillonApplication::StartResult QuillonApplication::start(const QStringList& commandLine)
{
    // The lock and the hand-off files live in the working directory, so it is made
    // before anything else.
    if (!m_workDir.ensureTree()) {
        m_notifier->error("The working directory " + m_workDir.root() + " could not be created.");
        return StartResult::Failed;
    }
    const auto arguments = normalizedCommandLine(commandLine);
    appendCommandLine(m_workDir, commandLineText(arguments));
    const auto file =
        fileArgument(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
    if (m_instance.claimPrimary() == SingleInstance::Claim::OtherRunning)
        return handOverToRunningInstance(file);

    m_settings.pendingTransmit.clear();
    removeFile(m_workDir.file(kDropInFile));
    loadStartupSettings(m_settings, m_workDir);
    m_devices = ComDeviceMap::load(m_workDir);
    m_recentFiles.load();
    m_remote = readRemoteConfig(m_workDir);
    m_statusTable = readStatusTable(m_remote.hubDirectory);

    m_editorEnvironment = std::make_unique<EditorEnvironment>(
        EditorSettings{m_settings.flags, m_settings.colors, m_settings.fonts[FontRole::Editor]},
        notifier());
    connect(this, &QuillonApplication::viewFlagsChanged, m_editorEnvironment.get(),
            &EditorEnvironment::displayChanged);
    connect(this, &QuillonApplication::fontChanged, m_editorEnvironment.get(),
            [this](FontRole role) {
                if (role == FontRole::Editor)
                    m_editorEnvironment->editorFontChanged();
            });
    m_mainFrame = std::make_unique<CMainFrame>(*this);
    // The hub is found by its name when it has one; a name that does not resolve leaves the
    // stored address (found the last time) in place.
    // The link is bound once the address is known.
    if (!m_remote.hubName.empty()) {
        m_hostResolver(m_remote.hubName, this, [this](std::optional<std::int32_t> address) {
            if (address)
                m_remote.hubAddress = *address;
            setUpLink();
        });
    } else {
        QTimer::singleShot(0, this, &QuillonApplication::setUpLink);
    }
    if (!m_mainFrame->startMainTimer()) {
        m_notifier->message("Computer time issue");
        return StartResult::Failed;
    }
    m_mainFrame->restoreState(QSettings(m_recentFiles.iniPath(), QSettings::IniFormat)
                                  .value(kBarStateKey)
                                  .toByteArray());
    if (m_ownNotifier)
        m_ownNotifier->setParent(m_mainFrame.get());
    if (m_ownFiles)
        m_ownFiles->setParent(m_mainFrame.get());
    if (const auto rect = readMainWindowRect(m_workDir)) {
        m_mainFrame->setGeometry(toQRect(*rect));
    } else {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        m_mainFrame->resize(screen.width() / 2, screen.height() / 2);
        m_mainFrame->move(0, 0);  // the window frame's corner
    }
    const QString editorDirectory = fromBytes(m_settings.editorDirectory);
    if (QFileInfo(editorDirectory).isDir())
        QDir::setCurrent(editorDirectory);
    m_mainFrame->show();
    m_instance.listen();

    openKeptPorts(m_settings.portSetups, m_devices, m_lineOpener, *m_notifier);
    if (m_settings.margins.startMinimized)
        m_mainFrame->showMinimized();

    if (file && file->transmit) {
        m_settings.pendingTransmit.set(file->text);
        transmitHandedOver(false);
    } else if (file && writeDropIn(m_workDir, file->text)) {
        openDroppedFile();
    }
    return StartResult::Run;
}

QuillonApplication::StartResult QuillonApplication::handOverToRunningInstance(
    const std::optional<FileArgument>& file)
{
    InstanceMessage message = InstanceMessage::Raise;
    if (file && file->transmit) {
        m_settings.pendingTransmit.set(file->text);
        if (writeTransmitHandOff(m_workDir, m_settings.pendingTransmit.text()))
            message = InstanceMessage::TransmitHandOff;
    } else if (file && writeDropIn(m_workDir, file->text)) {
        message = InstanceMessage::OpenDropIn;
    }
    m_instance.sendToPrimary(message);
    return StartResult::HandedOver;
}

void QuillonApplication::openDroppedFile()
{
    queueDropIn(m_workDir, m_openFiles);
    emit openFileQueueChanged();
}

void QuillonApplication::transmitHandedOver(bool fromHandOffFile)
{
    if (fromHandOffFile)
        m_settings.pendingTransmit.set(takeTransmitHandOff(m_workDir));
    if (m_mainFrame)
        m_mainFrame->showNormal();
    emit transmitRequested();
}

bool QuillonApplication::passSettingsLock()
{
    return quillon::passSettingsLock(m_workDir, *m_notifier, m_mainFrame.get());
}

void QuillonApplication::editFont(FontRole role)
{
    bool ok = false;
    const LogFont& current = m_settings.fonts[role];
    const QFont chosen =
        QFontDialog::getFont(&ok, toQFont(current), m_mainFrame.get(), fontDialogTitle(role));
    if (ok)
        applyFont(role, fromQFont(chosen, current));
}

void QuillonApplication::applyFont(FontRole role, const LogFont& font)
{
    m_settings.fonts[role] = font;
    const auto saved = writeFontsFile(m_workDir.file(kFontsFile), m_settings.fonts);
    if (!saved.ok)
        m_notifier->message("Could not save " + std::string(kFontsFile) + ": " + saved.error);
    emit fontChanged(role);
}

void QuillonApplication::otherOptions()
{
    if (!passSettingsLock())
        return;
    const MarginsSettings stored = readMarginsFile(m_workDir);
    m_settings.headsPalletsDontAsk = false;
    OtherOptionsDialog dialog(stored, m_mainFrame.get());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const MarginsSettings chosen = dialog.settings();
    const auto saved = applyOtherOptions(m_settings, chosen, m_workDir);
    if (!saved.ok)
        m_notifier->message("Could not save " + std::string(kMarginsFile) + ": " + saved.error);
    emit viewFlagsChanged();
    if (chosen.localIpAddress != stored.localIpAddress)
        m_notifier->message(kRestartNeeded);
}

void QuillonApplication::editColors()
{
    ColorsDialog dialog(m_settings.colors, m_workDir, *m_notifier, m_mainFrame.get());
    connect(&dialog, &ColorsDialog::colorsApplied, m_editorEnvironment.get(),
            &EditorEnvironment::displayChanged);
    dialog.exec();
}

void QuillonApplication::editBackplotColors()
{
    BackplotColorsDialog dialog(m_workDir, *m_notifier, m_mainFrame.get());
    dialog.exec();
}

void QuillonApplication::fileUpdate()
{
    if (!passSettingsLock())
        return;
    runFileUpdateTool(m_workDir, *m_notifier, m_mainFrame.get());
}

void QuillonApplication::remoteConfiguration()
{
    if (!passSettingsLock())
        return;
    RemoteConfigDialog dialog(readRemoteConfig(m_workDir), *m_files, *m_notifier, m_hostResolver,
                              m_mainFrame.get());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const RemoteConfig chosen = dialog.chosen();
    const WriteResult written = writeRemoteConfig(m_workDir, chosen);
    if (!written.ok) {
        m_notifier->error("Could not save " + std::string(kRemoteConfigFile) + ": " +
                          written.error);
        return;
    }
    // A folder given now switches the remote menu on at the next tick; the link, bound at
    // start-up, takes another hub only after a restart.
    if (chosen.hubDirectory != m_remote.hubDirectory)
        m_statusTable = readStatusTable(chosen.hubDirectory);
    m_remote.hubDirectory = chosen.hubDirectory;
    const RemoteConfig& running = dialog.running();
    const auto sameName = [](std::string_view a, std::string_view b) {
        return std::ranges::equal(a, b, [](char x, char y) {
            return std::toupper(static_cast<unsigned char>(x)) ==
                   std::toupper(static_cast<unsigned char>(y));
        });
    };
    if (chosen.hubAddress != running.hubAddress || !sameName(chosen.hubName, running.hubName))
        m_notifier->message(std::string(kRestartAfterRemoteChange));
}

void QuillonApplication::remoteRequests()
{
    if (!passSettingsLock())
        return;
    RemoteRequestChoices choices{m_remoteRequestMachine, m_settings.margins.remoteFullPath};
    RemoteRequestDialog dialog(m_workDir, readRemoteConfig(m_workDir).hubDirectory, choices,
                               *m_notifier, *m_files, m_mainFrame.get());
    dialog.exec();
    m_remoteRequestMachine = choices.machine;
    if (choices.fullPath == m_settings.margins.remoteFullPath)
        return;
    m_settings.margins.remoteFullPath = choices.fullPath;
    const WriteResult saved = writeMarginsFile(m_workDir, m_settings.margins);
    if (!saved.ok)
        m_notifier->message("Could not save " + std::string(kMarginsFile) + ": " + saved.error);
}

void QuillonApplication::statusColors()
{
    StatusColorsDialog dialog(m_statusTable, m_remote.hubDirectory, m_mainFrame.get());
    dialog.exec();
}

void QuillonApplication::setUpLink()
{
    if (m_hubChannel || m_remote.hubAddress == 0)
        return;
    MarginsSettings margins = readMarginsFile(m_workDir);
    const auto addresses = m_localAddresses ? m_localAddresses() : localIpv4Addresses();
    const LocalAddressChoice choice = chooseLocalAddress(
        margins.localIpAddress, addresses, [this](const std::vector<std::int32_t>& offered) {
            if (m_addressChooser)
                return m_addressChooser(offered);
            AddressChooserDialog dialog(offered, m_mainFrame.get());
            return dialog.exec() == QDialog::Accepted ? std::optional(dialog.chosen())
                                                      : std::nullopt;
        });
    if (choice.newChosen) {
        margins.localIpAddress = *choice.newChosen;
        const WriteResult saved = writeMarginsFile(m_workDir, margins);
        if (!saved.ok)
            m_notifier->message("Could not save " + std::string(kMarginsFile) + ": " +
                                saved.error);
    }
    (new AddressNotice(choice.address, m_mainFrame.get()))->show();
    if (choice.address == 0)
        return;
    m_hubChannel = HubChannel::open(m_remote.hubAddress, choice.address, hubLinkPort(), *m_clock,
                                    *m_notifier);
}

void QuillonApplication::hubTick()
{
    if (m_hubChannel)
        m_hubChannel->link().timerTick();
}

bool QuillonApplication::passLinkCheck()
{
    if (m_hubChannel)
        return true;
    m_notifier->message(std::string(kNoLinkText));
    return false;
}

void QuillonApplication::reconcileMachineLists()
{
    if (!remoteMonitoring())
        return;
    m_viewSettings = quillon::reconcileMachineLists(m_workDir, m_remote.hubDirectory, *m_clock);
}

void QuillonApplication::monitoringList()
{
    const RemoteConfig remote = readRemoteConfig(m_workDir);
    if (const auto written =
            editMonitoringLists(m_workDir, remote.hubDirectory, *m_notifier, m_mainFrame.get()))
        m_viewSettings = *written;
}

void QuillonApplication::directoryLog(bool create)
{
    if (!passSettingsLock())
        return;
    const RemoteConfig remote = readRemoteConfig(m_workDir);
    const auto configuration =
        remote.hubDirectory.empty() ? std::nullopt : readHubConfiguration(remote.hubDirectory);
    if (!configuration) {
        m_notifier->message(std::string(kHubSetupNotFound));
        return;
    }
    const auto slot = m_machineChooser ? m_machineChooser(*configuration)
                                       : chooseMachine(*configuration, m_mainFrame.get());
    if (!slot)
        return;
    // Both dialogs start in the machine's program folder.
    const HubMachine* machine = configuration->machine(*slot);
    const std::string start = machine ? machine->downloadDirectory : std::string();
    const std::string title(kDirectoryLogTitle);
    if (create) {
        const FilePrompt prompt{title, start, {}, {}};
        const auto folder = m_folderPicker ? m_folderPicker(prompt)
                                           : selectFolder(m_mainFrame.get(), prompt.directory,
                                                          *m_notifier, {}, prompt.title);
        if (!folder || folder->empty())
            return;
        const DirectoryLogResult result = writeDirectoryLog(*folder);
        if (result.outcome == DirectoryLogResult::Outcome::Failed)
            m_notifier->error(result.error);
        else if (result.outcome == DirectoryLogResult::Outcome::NothingToLog)
            m_notifier->message(std::string(kNoDirectoryLogText));
        return;
    }
    const auto file = m_files->openFile(
        {title, start, std::string(kDirectoryLogFile), std::string(kDirectoryLogFilter)});
    if (!file)
        return;
    if (!fileExists(*file)) {
        m_notifier->message(std::string(kNoDirectoryLogText));
        return;
    }
    m_mainFrame->documents().openFile(fromBytes(*file));
}

void QuillonApplication::fileCleanup(CleanupTool tool)
{
    const CleanupToolInfo& info = cleanupToolInfo(tool);
    if (info.locked && !passSettingsLock())
        return;
    std::string folder;
    if (tool == CleanupTool::MazakWorkNumber) {
        // The Mazak tool is shown a file of the folder.
        const auto file = m_files->openFile({std::string(info.dialogTitle),
                                             m_settings.editorDirectory,
                                             {},
                                             std::string(kMazakFilter)});
        if (!file)
            return;
        folder = std::string(paths::directoryOf(*file));
    } else {
        const FilePrompt prompt{std::string(info.dialogTitle), m_settings.editorDirectory, {}, {}};
        const auto chosen = m_folderPicker ? m_folderPicker(prompt)
                                           : selectFolder(m_mainFrame.get(), prompt.directory,
                                                          *m_notifier, {}, prompt.title);
        if (!chosen || chosen->empty() || !folderHasEntries(*chosen))
            return;
        folder = *chosen;
    }
    if (!folder.empty() && !paths::isSeparator(folder.back()))
        folder += '/';
    if (!m_notifier->askYesNo(cleanupQuestion(tool, folder), {}, NoticeIcon::Error))
        return;
    // The first file goes quickly; a run that takes more shows that it works.
    bool waiting = false;
    const CleanupRun run = runCleanup(tool, folder, [&](std::size_t index, const std::string&) {
        if (index == 1) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            waiting = true;
        }
    });
    if (waiting)
        QApplication::restoreOverrideCursor();
    if (!run.completed) {
        m_notifier->error(run.error);
        return;
    }
    // The files passed over are named; a run the system stopped at any of them is not done.
    if (!run.passedOver.empty()) {
        std::string names;
        for (const std::string& reason : run.passedOver)
            names += (names.empty() ? "" : "\n") + reason;
        if (run.failed != 0) {
            m_notifier->error(names);
            return;
        }
        m_notifier->warning(names);
    }
    m_notifier->message(
        std::string(tool == CleanupTool::MazakWorkNumber ? kMazakDone : kCleanupDone));
}

void QuillonApplication::rs232Parameters()
{
    if (!passSettingsLock())
        return;
    PortSetupDialog dialog(m_settings.portSetups, m_workDir, *m_notifier, *m_files,
                           m_mainFrame.get());
    dialog.exec();
    reconcileKeptPorts(m_settings.portSetups, m_devices, m_lineOpener, *m_notifier);
    savePortSetups(m_settings.portSetups, m_workDir, *m_notifier);
}

void QuillonApplication::toggleView(ViewToggle toggle)
{
    bool& flag = flagOf(m_settings, toggle);
    flag = !flag;
    emit viewFlagsChanged();
}

bool QuillonApplication::viewFlag(ViewToggle toggle) const
{
    return flagOf(m_settings, toggle);
}

void QuillonApplication::calculator()
{
    startCalculator(*m_notifier);
}

void QuillonApplication::boltHoleCircle()
{
    BoltHoleCircleDialog dialog(*m_notifier, m_mainFrame.get());
    dialog.exec();
}

void QuillonApplication::rightAngleTriangle()
{
    RightAngleTriangleDialog dialog(m_triangleTexts, *m_notifier, m_mainFrame.get());
    dialog.exec();
}

void QuillonApplication::surfaceSpeed()
{
    SurfaceSpeedDialog dialog(*m_notifier, m_mainFrame.get());
    dialog.exec();
}

void QuillonApplication::endWithoutQuestions()
{
    if (m_mainFrame)
        m_mainFrame->closeWithoutQuestions();
    // Every event loop ends, a question's box included.
    QCoreApplication::exit(0);
}

void QuillonApplication::shutDown(bool saveWindowRect)
{
    writeMarginsFile(m_workDir, m_settings.margins);
    closeKeptPorts(m_settings.portSetups);
    if (saveWindowRect && m_mainFrame) {
        QSettings(m_recentFiles.iniPath(), QSettings::IniFormat)
            .setValue(kBarStateKey, m_mainFrame->saveState());
        const QRect rect =
            m_mainFrame->isMaximized() ? m_mainFrame->normalGeometry() : m_mainFrame->geometry();
        writeMainWindowRect(m_workDir, fromQRect(rect));
    }
    m_recentFiles.save();
    removeFile(m_workDir.file(kCommandFile));
}

}  // namespace quillon
