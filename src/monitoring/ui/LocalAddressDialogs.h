// This computer's address for the link: the "IP addresses" chooser when it has several,
// and the "IP address" notice that shows the one taken and closes itself.
#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;

namespace quillon {

inline constexpr char kAddressNoticePrefix[] = "Computer IP address:";
inline constexpr char kNoAddressNotice[] = "Could not determine IP address";
inline constexpr int kAddressNoticeMs = 1500;

class AddressChooserDialog : public QDialog {
    Q_OBJECT
public:
    AddressChooserDialog(const std::vector<std::int32_t>& addresses, QWidget* parent = nullptr);
    QComboBox* addresses() const { return m_addresses; }
    std::int32_t chosen() const;

private:
    std::vector<std::int32_t> m_values;
    QComboBox* m_addresses;
};

// A small window with the address taken (or that none could be), closing itself.
class AddressNotice : public QDialog {
    Q_OBJECT
public:
    explicit AddressNotice(std::int32_t address, QWidget* parent = nullptr);
    QString text() const;

private:
    QLabel* m_text;
};

// The address the link uses: the chosen one when there is one; else the only one; else the
// one picked in the chooser (which then becomes the chosen one; Cancel: none, also as the
// chosen one). `choose` stands for the chooser (tests bring their own); nothing means it
// was not shown.
struct LocalAddressChoice {
    std::int32_t address = 0;
    // The chooser was shown: the chosen address to store (0 after Cancel).
    std::optional<std::int32_t> newChosen;
};
LocalAddressChoice chooseLocalAddress(
    std::int32_t chosen, const std::vector<std::int32_t>& addresses,
    const std::function<std::optional<std::int32_t>(const std::vector<std::int32_t>&)>& choose);

}  // namespace quillon
