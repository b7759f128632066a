// "Margins / path / header": the "Other options" settings of Margins.sys.
#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

#include "app/MarginsSettings.h"

class QCheckBox;
class QLineEdit;

namespace quillon {

// An IPv4 address typed as four octet fields, like the address control of the Windows
// program; an empty field counts as 0.
class IpAddressEdit : public QWidget {
    Q_OBJECT
public:
    explicit IpAddressEdit(QWidget* parent = nullptr);
    void setValue(std::int32_t value);
    std::int32_t value() const;
    QLineEdit* octetEdit(int index) const { return m_octets[static_cast<std::size_t>(index)]; }

private:
    std::array<QLineEdit*, 4> m_octets{};
};

class OtherOptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit OtherOptionsDialog(const MarginsSettings& settings, QWidget* parent = nullptr);

    // The settings as the dialog holds them; line 18, which the dialog does not show,
    // keeps the value it came with.
    MarginsSettings settings() const;

    IpAddressEdit* ipAddressEdit() const { return m_ipAddress; }

private:
    QCheckBox* addCheckBox(const QString& text, bool checked);

    MarginsSettings m_original;
    QLineEdit* m_path;
    QLineEdit* m_left;
    QLineEdit* m_right;
    QLineEdit* m_top;
    QLineEdit* m_bottom;
    QCheckBox* m_printHeader;
    QCheckBox* m_startMinimized;
    QCheckBox* m_printFullPath;
    QCheckBox* m_rememberDirectory;
    QCheckBox* m_scrollWheel;
    QCheckBox* m_detailedOpen;
    QCheckBox* m_offerTransfer;
    QCheckBox* m_scrollBar;
    QCheckBox* m_pageNumbers;
    QCheckBox* m_twoColumns;
    QCheckBox* m_monthlyCsv;
    IpAddressEdit* m_ipAddress;
};

}  // namespace quillon
