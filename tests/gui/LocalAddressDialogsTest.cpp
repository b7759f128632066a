#include "monitoring/ui/LocalAddressDialogs.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPointer>
#include <QTest>

#include "gui/GuiTestSupport.h"
#include "platform/Ipv4Address.h"

namespace quillon {
namespace {

const std::int32_t kFirst = ipv4Of(192, 168, 1, 10);
const std::int32_t kSecond = ipv4Of(10, 0, 0, 5);

TEST(LocalAddressChoice, TheChosenOneTheOnlyOneOrThePickedOne)
{
    int asked = 0;
    std::optional<std::int32_t> answer = kSecond;
    const auto choose = [&](const std::vector<std::int32_t>& offered) {
        ++asked;
        EXPECT_EQ(offered, (std::vector<std::int32_t>{kFirst, kSecond}));
        return answer;
    };
    struct Row {
        const char* scenario;
        std::int32_t chosen;
        std::vector<std::int32_t> addresses;
        std::int32_t address;
        std::optional<std::int32_t> newChosen;
        int asked;
    };
    const Row rows[] = {
        {"an earlier choice stands", kSecond, {kFirst, kSecond}, kSecond, std::nullopt, 0},
        {"the only address", 0, {kFirst}, kFirst, std::nullopt, 0},
        {"no address", 0, {}, 0, std::nullopt, 0},
        {"several: the pick, kept", 0, {kFirst, kSecond}, kSecond, kSecond, 1},
    };
    for (const Row& row : rows) {
        asked = 0;
        const LocalAddressChoice choice = chooseLocalAddress(row.chosen, row.addresses, choose);
        EXPECT_EQ(choice.address, row.address) << row.scenario;
        EXPECT_EQ(choice.newChosen, row.newChosen) << row.scenario;
        EXPECT_EQ(asked, row.asked) << row.scenario;
    }
    // Cancel: no address, and none is kept as the choice.
    answer.reset();
    const LocalAddressChoice cancelled = chooseLocalAddress(0, {kFirst, kSecond}, choose);
    EXPECT_EQ(cancelled.address, 0);
    EXPECT_EQ(cancelled.newChosen, 0);
}

TEST(LocalAddressChoice, TheChooserAndTheNoticeThatClosesItself)
{
    AddressChooserDialog chooser({kFirst, kSecond});
    EXPECT_EQ(chooser.windowTitle(), "IP addresses");
    ASSERT_EQ(chooser.addresses()->count(), 2);
    EXPECT_EQ(chooser.addresses()->itemText(0), "192.168.1.10");
    EXPECT_EQ(chooser.chosen(), kFirst);
    chooser.addresses()->setCurrentIndex(1);
    EXPECT_EQ(chooser.chosen(), kSecond);
    test::saveScreenshot(chooser, "ip-addresses-chooser");

    auto* notice = new AddressNotice(kFirst);
    EXPECT_EQ(notice->windowTitle(), "IP address");
    EXPECT_EQ(notice->text(), "Computer IP address: 192.168.1.10");
    test::saveScreenshot(*notice, "ip-address-notice");
    QPointer<AddressNotice> watched(notice);
    notice->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return watched.isNull(); }, 5000));

    AddressNotice none(0);
    EXPECT_EQ(none.text(), "Could not determine IP address");
}

}  // namespace
}  // namespace quillon
