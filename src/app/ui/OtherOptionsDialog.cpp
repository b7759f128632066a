#include "app/ui/OtherOptionsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/ui/Latin1.h"
#include "platform/ui/WidgetHelpers.h"

namespace quillon {

IpAddressEdit::IpAddressEdit(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (std::size_t i = 0; i < m_octets.size(); ++i) {
        if (i > 0)
            layout->addWidget(new QLabel(".", this));
        auto* octet = new QLineEdit(this);
        octet->setValidator(new QIntValidator(0, 255, octet));
        octet->setMaxLength(3);
        octet->setAlignment(Qt::AlignCenter);
        octet->setFixedWidth(octet->fontMetrics().horizontalAdvance("0000") + 12);
        m_octets[i] = octet;
        layout->addWidget(octet);
    }
    layout->addStretch();
}

void IpAddressEdit::setValue(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < m_octets.size(); ++i)
        m_octets[i]->setText(QString::number((bits >> (24 - 8 * i)) & 0xFFu));
}

std::int32_t IpAddressEdit::value() const
{
    std::uint32_t bits = 0;
    for (auto* octet : m_octets)
        bits = (bits << 8) | std::min(octet->text().toUInt(), 255u);
    return static_cast<std::int32_t>(bits);
}

OtherOptionsDialog::OtherOptionsDialog(const MarginsSettings& settings, QWidget* parent)
    : QDialog(parent), m_original(settings)
{
    setWindowTitle("Margins / path / header");

    auto makeEdit = [this](const std::string& text, const char* name) {
        auto* edit = new QLineEdit(fromBytes(text), this);
        edit->setObjectName(name);
        return edit;
    };
    m_path = makeEdit(settings.editorDefaultPath, "editorDefaultPath");
    m_left = makeEdit(settings.leftMargin, "left");
    m_right = makeEdit(settings.rightMargin, "right");
    m_top = makeEdit(settings.topMargin, "top");
    m_bottom = makeEdit(settings.bottomMargin, "bottom");

    m_printHeader = addCheckBox("Print header", settings.printHeader);
    m_printFullPath = addCheckBox("Print full path", settings.printFullPath);
    m_pageNumbers = addCheckBox("Print page numbers", settings.printPageNumbers);
    m_twoColumns = addCheckBox("Print two columns", settings.printTwoColumns);
    m_startMinimized = addCheckBox("Start minimized", settings.startMinimized);
    m_rememberDirectory =
        addCheckBox("Remember editor directory", settings.rememberEditorDirectory);
    m_scrollWheel =
        addCheckBox("Scroll all windows with mouse wheel", settings.scrollAllWithWheel);
    m_scrollBar =
        addCheckBox("Scroll all windows with scroll bar", settings.scrollAllWithScrollBar);
    m_detailedOpen = addCheckBox("Detailed file open window", settings.detailedFileOpenWindow);
    m_offerTransfer =
        addCheckBox("Option 'Transfer' to machine the edited file", settings.offerTransfer);
    m_monthlyCsv = addCheckBox("Monthly .CSV file", settings.monthlyCsv);

    // "Print full path" only means something while a header is printed.
    m_printFullPath->setEnabled(m_printHeader->isChecked());
    connect(m_printHeader, &QCheckBox::toggled, m_printFullPath, &QWidget::setEnabled);

    m_ipAddress = new IpAddressEdit(this);
    m_ipAddress->setValue(settings.localIpAddress);

    auto* pathBox = new QGroupBox("Editor default file path", this);
    (new QVBoxLayout(pathBox))->addWidget(m_path);

    auto* marginsBox = new QGroupBox("Margins (inches)", this);
    auto* margins = new QGridLayout(marginsBox);
    margins->addWidget(new QLabel("Left:", this), 0, 0);
    margins->addWidget(m_left, 0, 1);
    margins->addWidget(new QLabel("Right", this), 0, 2);
    margins->addWidget(m_right, 0, 3);
    margins->addWidget(new QLabel("Top:", this), 1, 0);
    margins->addWidget(m_top, 1, 1);
    margins->addWidget(new QLabel("Bottom:", this), 1, 2);
    margins->addWidget(m_bottom, 1, 3);

    m_printFullPath->setContentsMargins(16, 0, 0, 0);
    auto* printBox = groupColumn(this, "Printing",
                                 {m_printHeader, m_printFullPath, m_pageNumbers, m_twoColumns});
    auto* editorBox = groupColumn(this, "Editor",
                                  {m_startMinimized, m_rememberDirectory, m_scrollWheel,
                                   m_scrollBar, m_detailedOpen, m_offerTransfer, m_monthlyCsv});

    auto* ipBox = groupColumn(this, "Local computer IP address",
                              {m_ipAddress, new QLabel("(Used for remote viewing)", this),
                               new QLabel("(Recommended value: 0.0.0.0)", this)});

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* left = new QVBoxLayout;
    left->addWidget(marginsBox);
    left->addWidget(printBox);
    left->addWidget(ipBox);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(editorBox);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pathBox);
    layout->addLayout(columns);
    layout->addWidget(buttons);
}

QCheckBox* OtherOptionsDialog::addCheckBox(const QString& text, bool checked)
{
    auto* box = new QCheckBox(text, this);
    box->setChecked(checked);
    return box;
}

MarginsSettings OtherOptionsDialog::settings() const
{
    MarginsSettings result = m_original;
    result.editorDefaultPath = toBytes(m_path->text());
    result.leftMargin = toBytes(m_left->text());
    result.rightMargin = toBytes(m_right->text());
    result.topMargin = toBytes(m_top->text());
    result.bottomMargin = toBytes(m_bottom->text());
    result.printHeader = m_printHeader->isChecked();
    result.startMinimized = m_startMinimized->isChecked();
    result.printFullPath = m_printFullPath->isChecked();
    result.rememberEditorDirectory = m_rememberDirectory->isChecked();
    result.scrollAllWithWheel = m_scrollWheel->isChecked();
    result.localIpAddress = m_ipAddress->value();
    result.detailedFileOpenWindow = m_detailedOpen->isChecked();
    result.offerTransfer = m_offerTransfer->isChecked();
    result.scrollAllWithScrollBar = m_scrollBar->isChecked();
    result.printPageNumbers = m_pageNumbers->isChecked();
    result.printTwoColumns = m_twoColumns->isChecked();
    result.monthlyCsv = m_monthlyCsv->isChecked();
    return result;
}

}  // namespace quillon
