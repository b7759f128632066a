#include "monitoring/ui/LocalAddressDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/Ipv4Address.h"
#include "platform/ui/Latin1.h"

namespace quillon {

AddressChooserDialog::AddressChooserDialog(const std::vector<std::int32_t>& addresses,
                                           QWidget* parent)
    : QDialog(parent), m_values(addresses), m_addresses(new QComboBox(this))
{
    setWindowTitle("IP addresses");
    for (const std::int32_t address : addresses)
        m_addresses->addItem(fromBytes(ipv4ToDottedText(address)));
    m_addresses->setCurrentIndex(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_addresses);
    layout->addWidget(buttons);
}

std::int32_t AddressChooserDialog::chosen() const
{
    const int index = m_addresses->currentIndex();
    return index >= 0 && static_cast<std::size_t>(index) < m_values.size()
               ? m_values[static_cast<std::size_t>(index)]
               : 0;
}

AddressNotice::AddressNotice(std::int32_t address, QWidget* parent)
    : QDialog(parent), m_text(new QLabel(this))
{
    setWindowTitle("IP address");
    setAttribute(Qt::WA_DeleteOnClose);
    m_text->setText(address == 0 ? QString(kNoAddressNotice)
                                 : QString(kAddressNoticePrefix) + ' ' +
                                       fromBytes(ipv4ToDottedText(address)));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    QTimer::singleShot(kAddressNoticeMs, this, &QWidget::close);
}

QString AddressNotice::text() const
{
    return m_text->text();
}

LocalAddressChoice chooseLocalAddress(
    std::int32_t chosen, const std::vector<std::int32_t>& addresses,
    const std::function<std::optional<std::int32_t>(const std::vector<std::int32_t>&)>& choose)
{
    LocalAddressChoice choice;
    if (chosen != 0) {
        choice.address = chosen;
    } else if (addresses.size() == 1) {
        choice.address = addresses.front();
    } else if (addresses.size() > 1) {
        choice.address = choose(addresses).value_or(0);
        choice.newChosen = choice.address;
    }
    return choice;
}

}  // namespace quillon
