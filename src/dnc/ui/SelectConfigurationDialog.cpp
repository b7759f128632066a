#include "dnc/ui/SelectConfigurationDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dnc/ComConfFile.h"
#include "dnc/PortSetups.h"
#include "dnc/ui/PortSetupDialog.h"
#include "platform/ui/Latin1.h"

namespace quillon {

SelectConfigurationDialog::SelectConfigurationDialog(PortSetups& setups, const WorkDir& workDir,
                                                     QWidget* parent)
    : QDialog(parent),
      m_setups(setups),
      m_devices(ComDeviceMap::load(workDir)),
      m_nameCombo(new QComboBox(this)),
      m_portDevice(new QLabel(this))
{
    setWindowTitle("Select configuration");
    loadPortSetups(m_setups, workDir);

    for (const auto& setup : m_setups.records())
        m_nameCombo->addItem(fromBytes(setup.name));
    m_nameCombo->setCurrentIndex(m_setups.selectedIndex());
    connect(m_nameCombo, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int index) {
        if (index < 0)
            return;
        m_setups.select(index);
        showSummary();
    });

    auto* summaryBox = new QGroupBox(this);
    auto* summary = new QVBoxLayout(summaryBox);
    summary->setSpacing(2);
    const auto lineCount = setupSummaryLines(m_setups.workingCopy()).size();
    for (std::size_t i = 0; i < lineCount; ++i) {
        auto* label = new QLabel(summaryBox);
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_summary.push_back(label);
        summary->addWidget(label);
    }

    m_portDevice->setTextFormat(Qt::PlainText);
    // A long device path and the reason it cannot be used must not widen the dialog.
    m_portDevice->setWordWrap(true);
    m_portDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("Continue", QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_nameCombo);
    layout->addWidget(summaryBox);
    layout->addWidget(m_portDevice);
    layout->addWidget(buttons);
    showSummary();
    setMinimumWidth(360);
}

void SelectConfigurationDialog::showSummary()
{
    const auto lines = setupSummaryLines(m_setups.workingCopy());
    for (std::size_t i = 0; i < m_summary.size() && i < lines.size(); ++i)
        m_summary[i]->setText(fromBytes(lines[i]));
    m_portDevice->setText(portDeviceText(m_setups.workingCopy().port, m_devices, m_accessCheck));
}

QString SelectConfigurationDialog::portDevice() const
{
    return m_portDevice->text();
}

void SelectConfigurationDialog::setDeviceAccessCheck(DeviceAccessCheck check)
{
    m_accessCheck = std::move(check);
    showSummary();
}

QStringList SelectConfigurationDialog::summaryTexts() const
{
    QStringList texts;
    for (const auto* label : m_summary)
        texts << label->text();
    return texts;
}

}  // namespace quillon
