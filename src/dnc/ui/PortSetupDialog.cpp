#include "dnc/ui/PortSetupDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dnc/ComConfFile.h"
#include "dnc/PortSetups.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/SystemError.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/WidgetHelpers.h"

namespace quillon {

namespace {

constexpr char kNameSelectionError[] = "Name selection error";
constexpr char kNoNameSpecified[] = "No name specified";
// A framing character is one character or "^" and a letter.
constexpr int kCharacterEditLength = 2;
constexpr int kNullEditLength = 4;

QStringList portTexts()
{
    QStringList texts;
    for (int port = 1; port <= kPortCount; ++port)
        texts << QStringLiteral("Com%1").arg(port);
    return texts;
}

QStringList baudTexts()
{
    QStringList texts;
    for (const auto& entry : kBaudTable)
        texts << QString::fromLatin1(entry.buttonText.data(),
                                     static_cast<qsizetype>(entry.buttonText.size()));
    return texts;
}

void checkId(QButtonGroup* group, int id)
{
    // A value a damaged file left outside the known ones shows as no choice at all.
    group->setExclusive(false);
    for (auto* button : group->buttons())
        button->setChecked(group->id(button) == id);
    group->setExclusive(true);
}

}  // namespace

QString portDeviceText(int port, const ComDeviceMap& devices, const DeviceAccessCheck& check)
{
    const auto device = devices.devicePath(port);
    if (!device)
        return {};
    const QString shown = QStringLiteral("COM%1 \u2014 %2").arg(port + 1).arg(fromBytes(*device));
    const DeviceCheck found = check(*device);
    switch (found.access) {
    case DeviceAccess::Usable:
        return shown;
    case DeviceAccess::Missing:
        return shown + ": not found";
    case DeviceAccess::Denied:
        // Debian gives serial devices to the dialout group; a user outside it is the
        // usual reason, and the fix is one command and a new login.
        return shown + ": access denied (the user must be in the dialout group)";
    case DeviceAccess::Unusable:
        break;
    }
    return shown + ": cannot be opened (" + fromBytes(errnoText(found.error)) + ")";
}

void NameComboBox::showPopup()
{
    emit aboutToDropDown();
    QComboBox::showPopup();
}

PortSetupDialog::PortSetupDialog(PortSetups& setups, const WorkDir& workDir, Notifier& notifier,
                                 FilePrompter& files, QWidget* parent)
    : QDialog(parent), m_setups(setups), m_workDir(workDir), m_notifier(notifier), m_files(files)
{
    setWindowTitle("Configure / manualDNC");

    // Name
    m_nameCombo = new NameComboBox(this);
    m_nameCombo->setMinimumContentsLength(kSetupNameLimit / 2);
    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setMaxLength(static_cast<int>(kSetupNameLimit));
    auto* changeName = new QPushButton("Change name", this);
    auto* nameBox = new QGroupBox("Name", this);
    auto* nameLayout = new QGridLayout(nameBox);
    nameLayout->addWidget(m_nameCombo, 0, 0, 1, 2);
    nameLayout->addWidget(m_nameEdit, 1, 0);
    nameLayout->addWidget(changeName, 1, 1);

    // Line settings
    QWidget* portBox = nullptr;
    QWidget* baudBox = nullptr;
    QWidget* eobBox = nullptr;
    QWidget* codeBox = nullptr;
    QWidget* parityBox = nullptr;
    m_ports = makeRadioGroup("Port", portTexts(), &portBox, 2);
    m_bauds = makeRadioGroup("Baud", baudTexts(), &baudBox, 2);
    m_endOfBlock = makeRadioGroup("EOB Character", {"LF", "CR", "CRLF"}, &eobBox, 1);
    m_code = makeRadioGroup("Code", {"ISO", "EIA", "BIN"}, &codeBox, 1);
    m_parity = makeRadioGroup("Vertical parity", {"None", "Even", "Odd"}, &parityBox, 1);
    m_portDevice = new QLabel(this);
    m_portDevice->setObjectName("portDevice");
    m_portDevice->setTextFormat(Qt::PlainText);
    // A long device path and the reason it cannot be used must not widen the dialog.
    m_portDevice->setWordWrap(true);
    m_portDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // Handshake and protocols
    m_xonXoff = makeCheckBox("Xon/Xoff");
    m_waitForXon = makeCheckBox("Wait for XON");
    m_hardware = makeCheckBox("Hardware");
    m_mazak = makeCheckBox("MAZAK");
    m_heidenhain = makeCheckBox("HEIDENHAIN");
    m_fanuc = makeCheckBox("Fanuc DNC");
    auto* handshakeBox =
        groupColumn(this, "Handshake / protocol",
                    {m_xonXoff, m_waitForXon, m_hardware, m_mazak, m_heidenhain, m_fanuc});

    m_looping = makeCheckBox("Looping");
    m_mazakDelay = makeCheckBox("Mazak delay");
    m_smallBuffer = makeCheckBox("Small buffer");
    m_includeStart = makeCheckBox("Include 'Start' for repositioning");
    m_keepOpen = makeCheckBox("Keep port open");
    auto* optionsBox = groupColumn(
        this, "Options", {m_looping, m_mazakDelay, m_smallBuffer, m_includeStart, m_keepOpen});

    // Framing characters
    m_txStart = makeEdit("txStart", kCharacterEditLength);
    m_txEnd = makeEdit("txEnd", kCharacterEditLength);
    m_null = makeEdit("null", kNullEditLength);
    m_rxStart = makeEdit("rxStart", kCharacterEditLength);
    m_rxEnd = makeEdit("rxEnd", kCharacterEditLength);
    m_commentFilter = makeEdit("commentFilter", kCharacterEditLength);
    auto* transmitBox = new QGroupBox("TRANSMIT", this);
    auto* transmit = new QFormLayout(transmitBox);
    transmit->addRow("Start:", m_txStart);
    transmit->addRow("End:", m_txEnd);
    transmit->addRow("Null:", m_null);
    auto* receiveBox = new QGroupBox("RECEIVE", this);
    auto* receive = new QFormLayout(receiveBox);
    receive->addRow("Start:", m_rxStart);
    receive->addRow("End:", m_rxEnd);
    auto* filterBox = new QGroupBox(this);
    auto* filter = new QFormLayout(filterBox);
    filter->addRow("Comment filter:", m_commentFilter);

    // Folders
    m_txDirectory = makeEdit("txDirectory", 0);
    m_rxDirectory = makeEdit("rxDirectory", 0);
    auto* foldersBox = new QGroupBox(this);
    auto* folders = new QGridLayout(foldersBox);
    auto addFolderRow = [&](int row, const char* label, QLineEdit* edit, const char* title) {
        auto* browse = new QPushButton("...", this);
        browse->setToolTip("Choose the folder");
        browse->setFixedWidth(browse->fontMetrics().horizontalAdvance("...") + 24);
        connect(browse, &QPushButton::clicked, this,
                [this, edit, title] { browseFolder(edit, title); });
        folders->addWidget(new QLabel(label, this), row, 0);
        folders->addWidget(edit, row, 1);
        folders->addWidget(browse, row, 2);
    };
    addFolderRow(0, "Default Tx directory:", m_txDirectory, "Default Tx directory");
    addFolderRow(1, "Default Rx directory:", m_rxDirectory, "Default Rx directory");

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("Save && Exit", QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &PortSetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PortSetupDialog::reject);

    auto* framing = new QVBoxLayout;
    framing->addWidget(receiveBox);
    framing->addWidget(filterBox);
    framing->addStretch();

    auto* grid = new QGridLayout;
    grid->addWidget(nameBox, 0, 0, 1, 3);
    grid->addWidget(portBox, 1, 0);
    grid->addWidget(baudBox, 1, 1);
    grid->addWidget(handshakeBox, 1, 2);
    grid->addWidget(m_portDevice, 2, 0, 1, 3);
    grid->addWidget(eobBox, 3, 0);
    grid->addWidget(codeBox, 3, 1);
    grid->addWidget(parityBox, 3, 2);
    grid->addWidget(optionsBox, 4, 0);
    grid->addWidget(transmitBox, 4, 1);
    grid->addLayout(framing, 4, 2);
    for (int column = 0; column < 3; ++column)
        grid->setColumnStretch(column, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(foldersBox);
    layout->addWidget(buttons);

    connect(m_nameCombo, &NameComboBox::aboutToDropDown, this, &PortSetupDialog::onDropDown);
    connect(m_nameCombo, qOverload<int>(&QComboBox::activated), this,
            &PortSetupDialog::onNameSelected);
    connect(changeName, &QPushButton::clicked, this, &PortSetupDialog::onChangeName);
    connect(m_xonXoff, &QCheckBox::clicked, this, &PortSetupDialog::onXonXoffClicked);
    connect(m_ports, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            showPortDevice();
    });
    for (auto* protocol : {m_mazak, m_heidenhain, m_fanuc}) {
        connect(protocol, &QCheckBox::clicked, this,
                [this, protocol](bool checked) { onProtocolClicked(protocol, checked); });
    }

    loadPortSetups(m_setups, m_workDir);
    m_devices = ComDeviceMap::load(m_workDir);
    showSetup(m_setups.workingCopy());
    fillNames();
}

QString PortSetupDialog::portDevice() const
{
    return m_portDevice->text();
}

void PortSetupDialog::setDeviceAccessCheck(DeviceAccessCheck check)
{
    m_accessCheck = std::move(check);
    showPortDevice();
}

void PortSetupDialog::showPortDevice()
{
    // No port checked (a damaged value) names no device.
    m_portDevice->setText(portDeviceText(m_ports->checkedId(), m_devices, m_accessCheck));
}

QCheckBox* PortSetupDialog::makeCheckBox(const QString& text)
{
    return new QCheckBox(text, this);
}

QLineEdit* PortSetupDialog::makeEdit(const char* objectName, int maxLength)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(objectName);
    if (maxLength > 0) {
        edit->setMaxLength(maxLength);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance("0000") + 16);
    } else {
        edit->setMinimumWidth(320);
    }
    return edit;
}

QButtonGroup* PortSetupDialog::makeRadioGroup(const QString& title, const QStringList& texts,
                                              QWidget** box, int columns)
{
    auto* groupBox = new QGroupBox(title, this);
    groupBox->setObjectName(title);
    auto* layout = new QGridLayout(groupBox);
    auto* group = new QButtonGroup(groupBox);
    const int rows = (static_cast<int>(texts.size()) + columns - 1) / columns;
    for (int i = 0; i < texts.size(); ++i) {
        auto* radio = new QRadioButton(texts[i], groupBox);
        group->addButton(radio, i);
        layout->addWidget(radio, i % rows, i / rows);
    }
    layout->setRowStretch(rows, 1);
    *box = groupBox;
    return group;
}

void PortSetupDialog::fillNames()
{
    m_nameCombo->clear();
    for (const auto& setup : m_setups.records())
        m_nameCombo->addItem(fromBytes(setup.name));
    m_nameCombo->setCurrentIndex(m_setups.selectedIndex());
}

void PortSetupDialog::showSetup(const PortSetup& shown)
{
    PortSetup setup = shown;
    checkId(m_ports, setup.port);
    showPortDevice();
    checkId(m_bauds, setup.baud);
    checkId(m_code, static_cast<int>(setup.code));
    checkId(m_endOfBlock, static_cast<int>(setup.endOfBlock));
    checkId(m_parity, static_cast<int>(setup.verticalParity));
    m_looping->setChecked(setup.looping != 0);
    m_mazakDelay->setChecked(setup.mazakDelay != 0);
    m_smallBuffer->setChecked(setup.smallBuffer != 0);
    m_includeStart->setChecked(setup.includeStartForRepositioning != 0);
    m_keepOpen->setChecked(setup.keepsPortOpen());

    // A block protocol owns the line: no software or hardware handshake beside it.
    const bool protocol = setup.usesBlockProtocol();
    if (protocol)
        setup.hardwareHandshake = 0;
    const bool xon =
        setup.handshake == Handshake::XonXoff || setup.handshake == Handshake::XonXoffWaitForXon;
    m_xonXoff->setChecked(xon);
    m_xonXoff->setEnabled(!protocol);
    m_waitForXon->setChecked(setup.handshake == Handshake::XonXoffWaitForXon);
    m_waitForXon->setEnabled(xon);
    m_hardware->setChecked(setup.hardwareHandshake != 0);
    m_hardware->setEnabled(!protocol);
    m_heidenhain->setChecked(setup.handshake == Handshake::Heidenhain);
    m_mazak->setChecked(setup.handshake == Handshake::Mazak);
    m_fanuc->setChecked(setup.handshake == Handshake::FanucDnc);

    m_null->setText(QString::number(std::clamp(setup.nullCount, 0, kMaxNullCount)));
    m_txStart->setText(fromBytes(characterDisplayForm(setup.txStart)));
    m_txEnd->setText(fromBytes(characterDisplayForm(setup.txEnd)));
    m_rxStart->setText(fromBytes(characterDisplayForm(setup.rxStart)));
    m_rxEnd->setText(fromBytes(characterDisplayForm(setup.rxEnd)));
    m_commentFilter->setText(fromBytes(characterDisplayForm(setup.commentFilter)));
    m_txDirectory->setText(fromBytes(setup.txDirectory));
    m_rxDirectory->setText(fromBytes(setup.rxDirectory));
}

void PortSetupDialog::readControlsInto(PortSetup& setup) const
{
    // An unchecked group (a damaged value was shown) keeps the value it had.
    auto readGroup = [](QButtonGroup* group, auto& field) {
        if (const int id = group->checkedId(); id >= 0)
            field = static_cast<std::remove_reference_t<decltype(field)>>(id);
    };
    readGroup(m_ports, setup.port);
    readGroup(m_bauds, setup.baud);
    readGroup(m_code, setup.code);
    readGroup(m_endOfBlock, setup.endOfBlock);
    readGroup(m_parity, setup.verticalParity);
    setup.looping = m_looping->isChecked() ? 1 : 0;
    setup.mazakDelay = m_mazakDelay->isChecked() ? 1 : 0;
    setup.hardwareHandshake = m_hardware->isChecked() ? 1 : 0;
    setup.smallBuffer = m_smallBuffer->isChecked() ? 1 : 0;
    setup.includeStartForRepositioning = m_includeStart->isChecked() ? 1 : 0;

    setup.handshake = m_xonXoff->isChecked() ? Handshake::XonXoff : Handshake::None;
    if (setup.handshake == Handshake::XonXoff && m_waitForXon->isChecked())
        setup.handshake = Handshake::XonXoffWaitForXon;
    if (m_mazak->isChecked())
        setup.handshake = Handshake::Mazak;
    if (m_heidenhain->isChecked())
        setup.handshake = Handshake::Heidenhain;
    if (m_fanuc->isChecked())
        setup.handshake = Handshake::FanucDnc;

    if (!m_keepOpen->isChecked())
        setup.keepPortOpen = KeepPortOpen::No;
    else if (!setup.keepsPortOpen())
        setup.keepPortOpen = KeepPortOpen::WantedNotOpen;

    setup.nullCount = parseNullCount(toBytes(m_null->text()));
    setup.txStart = parseCharacterEdit(toBytes(m_txStart->text()));
    setup.txEnd = parseCharacterEdit(toBytes(m_txEnd->text()));
    setup.rxStart = parseCharacterEdit(toBytes(m_rxStart->text()));
    setup.rxEnd = parseCharacterEdit(toBytes(m_rxEnd->text()));
    setup.commentFilter = parseCharacterEdit(toBytes(m_commentFilter->text()));
    setup.txDirectory = toBytes(m_txDirectory->text());
    setup.rxDirectory = toBytes(m_rxDirectory->text());
}

void PortSetupDialog::onDropDown()
{
    // The shown setup is stored before another is picked, so its edits survive.
    if (m_nameCombo->currentIndex() != m_setups.selectedIndex()) {
        m_notifier.message(kNameSelectionError);
        return;
    }
    readControlsInto(m_setups.workingCopy());
    m_setups.record(m_setups.selectedIndex()) = m_setups.workingCopy();
}

void PortSetupDialog::onNameSelected(int index)
{
    if (index < 0 || index >= kPortCount)
        return;
    m_setups.select(index);
    showSetup(m_setups.workingCopy());
}

void PortSetupDialog::onChangeName()
{
    const std::string name = toBytes(m_nameEdit->text()).substr(0, kSetupNameLimit);
    if (name.empty()) {
        m_notifier.message(kNoNameSpecified);
        return;
    }
    const int index = m_nameCombo->currentIndex();
    if (index < 0) {
        m_notifier.message(kNameSelectionError);
        return;
    }
    m_nameCombo->setItemText(index, fromBytes(name));
    m_nameCombo->setCurrentIndex(index);
    m_setups.record(index).name = name;
}

void PortSetupDialog::onXonXoffClicked(bool checked)
{
    m_waitForXon->setEnabled(checked);
    if (!checked)
        m_waitForXon->setChecked(false);
}

void PortSetupDialog::onProtocolClicked(QCheckBox* protocol, bool checked)
{
    if (checked) {
        for (auto* other : {m_mazak, m_heidenhain, m_fanuc}) {
            if (other != protocol)
                other->setChecked(false);
        }
        for (auto* box : {m_xonXoff, m_hardware, m_waitForXon}) {
            box->setChecked(false);
            box->setEnabled(false);
        }
    } else {
        m_xonXoff->setEnabled(true);
        m_hardware->setEnabled(true);
    }
}

void PortSetupDialog::browseFolder(QLineEdit* edit, const char* title)
{
    FilePrompt prompt;
    prompt.title = title;
    prompt.directory = toBytes(edit->text());
    if (const auto folder = m_files.chooseFolder(prompt))
        edit->setText(fromBytes(*folder));
}

void PortSetupDialog::accept()
{
    readControlsInto(m_setups.workingCopy());
    const int index = m_nameCombo->currentIndex();
    if (index < 0) {
        m_notifier.message(kNameSelectionError);
        return;
    }
    m_setups.workingCopy().name = m_setups.record(index).name;
    m_setups.record(index) = m_setups.workingCopy();
    savePortSetups(m_setups, m_workDir, m_notifier);
    QDialog::accept();
}

void PortSetupDialog::reject()
{
    loadPortSetups(m_setups, m_workDir);
    QDialog::reject();
}

}  // namespace quillon
