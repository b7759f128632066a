// The detailed view window against a scripted hub: its rows, the status change through
// both dialogs, and its place file.
#include "monitoring/ui/DetailedViewWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <filesystem>

#include "gui/GuiTestSupport.h"
#include "monitoring/DetailedViewSamples.h"
#include "monitoring/ui/NewPartNumberDialog.h"
#include "monitoring/ui/SetMachineStatusDialog.h"
#include "platform/Ipv4Address.h"
#include "platform/Notifier.h"
#include "support/TempWorkDir.h"

namespace quillon {
namespace {

using test::SampleRecord;
using test::withNul;

constexpr std::int64_t kNow = 1'765'000'000;

class DetailedViewWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.write("MonList.sys",
                  "_MT_Plant 1 - Turning and milling\r\n_ST_Cell A\r\nLATHE 3,0,0\r\n"
                  "MILL 1,0,1\r\nMILL 2,0,2\r\n_ST_Cell B\r\nTWIN 5,1,0\r\n"
                  "PALLET 7,1,1\r\nGRINDER 2,1,2\r\nPRESS 8,1,3\r\n");
    }

    DetailedViewWindow& open()
    {
        window = new DetailedViewWindow(env);
        window->show();
        return *window;
    }

    // The start-up and one record for each listed machine.
    void feed()
    {
        window->datagramArrived(
            withNul("_INI:@00,0,0,0,0\n0,1,0,1,0\n0,2,0,0,1\n1,0,1,1,0\n1,1,2,0,0\n1,2,0,0,0\n"
                    "1,3,0,0,0\n"));
        const SampleRecord records[] = {
            SampleRecord({0, 0}, "LATHE 3")
                .set(19, "CYCLE ON")
                .set(10, "52")
                .set(17, "FL-4711")
                .set(31, "0")
                .set(32, "OP10 FACE AND TURN")
                .set(14, "212")
                .set(76, "96")
                .set(77, "93")
                .set(79, "88"),
            SampleRecord({0, 1}, "MILL 1")
                .set(19, "SETUP")
                .set(17, "BR-220")
                .set(31, "1")
                .set(14, "17")
                .set(76, "61")
                .set(79, "52"),
            SampleRecord({0, 2}, "MILL 2")
                .set(19, "ALARM")
                .set(16, "1")
                .set(31, "2")
                .set(14, "35")
                .set(76, "42")
                .set(79, "35")
                .set(8, "71"),
            SampleRecord({1, 0}, "TWIN 5", 1)
                .set(19, "CYCLE ON\\OFF")
                .set(31, "3")
                .set(10, "70")
                .set(14, "88")
                .set(15, "86"),
            SampleRecord({1, 1}, "PALLET 7", 2).set(19, "LOCKED").set(31, "4").set(8, "30"),
            SampleRecord({1, 2}, "GRINDER 2").set(19, "NO Ostler").set(31, "5").set(12, "360000"),
            SampleRecord({1, 3}, "PRESS 8")
                .set(19, "CYCLE ON")
                .set(31, "6")
                .set(17, "BRACKET-12")
                .set(32, "STAMP AND PIERCE")
                .set(23, "2")
                .set(24, "30")
                .set(26, "10")
                .set(28, "31.5")
                .set(29, "26.0")
                .set(14, "1460"),
        };
        for (const SampleRecord& record : records)
            window->datagramArrived(record.datagram());
    }

    std::size_t rowNamed(const std::string& name) const
    {
        const auto& rows = window->model().rows();
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].name == name)
                return i;
        ADD_FAILURE() << name << " has no row";
        return 0;
    }

    test::TempWorkDir dir;
    FixedClock clock{kNow};
    ScriptedNotifier notifier;
    std::vector<std::string> sent;
    HubLink link{0, ipv4Of(10, 0, 0, 5), clock,
                 [this](std::string_view bytes) { sent.emplace_back(bytes); }};
    StatusTable statuses = StatusTable::defaults();
    MonitorViewSettings settings;
    MonitorEnvironment env{dir.workDir(), notifier, clock, link, "", statuses, settings};
    QPointer<DetailedViewWindow> window;
};

TEST_F(DetailedViewWindowTest, ShowsTheListedMachinesOnceTheyCame)
{
    open();
    EXPECT_EQ(window->windowTitle(), "Monitoring Display/Detailed");
    EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(sent, std::vector<std::string>{withNul("REMOTE_VIEW,167772165")});
    // The link hands the view what comes.
    link.datagramArrived(withNul("_INI:@00,0,0,0,0\n"), 0);
    EXPECT_EQ(sent.back(), withNul("_UPDATE,167772165,0,0"));
    feed();
    ASSERT_EQ(window->model().rows().size(), 10u);
    const DetailedLayout& layout = window->table()->layout();
    EXPECT_EQ(window->table()->height(), layout.height());
    // Feed and spindle overrides are reported, so both gauges are there.
    EXPECT_EQ(layout.columns.size(), kDetailedColumnCount);
    EXPECT_EQ(layout.rowAt(layout.rowRect(rowNamed("MILL 2")).center().y()), rowNamed("MILL 2"));
    EXPECT_EQ(layout.rowAt(DetailedLayout::kHeaderHeight - 1), std::nullopt);

    window->resize(1600, 560);
    test::saveScreenshot(*window, "monitor-detailed");
    QImage image(window->table()->size(), QImage::Format_RGB32);
    window->table()->render(&image);
    const QRect status = *layout.cellRect(rowNamed("MILL 1"), DetailedColumn::Status);
    EXPECT_EQ(image.pixelColor(status.left() + 2, status.top() + 2), QColor(0, 0, 255));
    const QRect split = *layout.cellRect(rowNamed("TWIN 5"), DetailedColumn::Status);
    EXPECT_EQ(image.pixelColor(split.left() + 2, split.top() + 2), QColor(0, 255, 0));
    EXPECT_EQ(image.pixelColor(split.right() - 2, split.top() + 2), QColor(255, 0, 0));
}

TEST_F(DetailedViewWindowTest, AStatusChangeGoesThroughTheHubsList)
{
    open();
    feed();
    sent.clear();
    // In cycle or unreachable: refused.
    window->statusClicked(rowNamed("LATHE 3"));
    window->statusClicked(rowNamed("GRINDER 2"));
    EXPECT_TRUE(sent.empty());

    // A click on the name is not one on the status.
    const DetailedLayout& layout = window->table()->layout();
    const std::size_t mill = rowNamed("MILL 1");
    QTest::mouseClick(window->table(), Qt::LeftButton, {},
                      layout.cellRect(mill, DetailedColumn::MachineName)->center());
    EXPECT_TRUE(sent.empty());
    QTest::mouseClick(window->table(), Qt::LeftButton, {},
                      layout.cellRect(mill, DetailedColumn::Status)->center());
    EXPECT_EQ(sent, std::vector<std::string>{withNul("_GETMON_LIST,167772165,0,1")});
    // A list for another machine is not offered.
    window->datagramArrived(withNul("_MON_LIST:0,2,CYCLE OFF,SETUP,"));
    EXPECT_EQ(window->statusDialog(), nullptr);
    window->datagramArrived(withNul("_MON_LIST:0,1,CYCLE OFF,LOADING,SETUP,UNLOCK,"));
    SetMachineStatusDialog* statusDialog = window->statusDialog();
    ASSERT_NE(statusDialog, nullptr);
    EXPECT_EQ(statusDialog->windowTitle(), "Set machine status: MILL 1");
    EXPECT_EQ(statusDialog->chosen(), "SETUP");
    statusDialog->list()->setCurrentRow(1);
    statusDialog->accept();
    EXPECT_EQ(sent.back(), withNul("_SETMON_STATUS,167772165,0,1,LOADING"));

    // SETUP asks for the new job.
    window->statusClicked(rowNamed("MILL 1"));
    window->datagramArrived(withNul("_MON_LIST:0,1,CYCLE OFF,LOADING,SETUP,UNLOCK,"));
    window->statusDialog()->accept();
    NewPartNumberDialog* job = window->partNumberDialog();
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->field(PartNumberField::PartNumber1)->text(), "BR-220");
    EXPECT_EQ(job->field(PartNumberField::MinCycle1)->text(),
              "0.6");  // 40 s in tenths of a minute
    EXPECT_EQ(job->field(PartNumberField::PartNumber2), nullptr);
    test::saveScreenshot(*job, "new-part-number");

    job->field(PartNumberField::PartNumber1)->setText("BR-220,B");
    job->accept();
    job->field(PartNumberField::PartNumber1)->setText("BR-221");
    job->field(PartNumberField::MinCycle1)->setText("2.0");
    job->field(PartNumberField::MaxCycle1)->setText("1.0");
    job->accept();
    EXPECT_EQ(notifier.texts(),
              (std::vector<std::string>{
                  "A part number cannot hold a comma.",
                  "The minimum cycle time is above the maximum: neither was taken."}));
    EXPECT_EQ(window->partNumberDialog(), job);
    job->field(PartNumberField::MinCycle1)->setText("0.5");
    job->field(PartNumberField::Pieces1)->setText("4");
    job->accept();
    EXPECT_EQ(sent.back(),
              withNul("_SETMON_STATUS,167772165,0,1,SETUP,BR-221,30,60,30,60, ,4,3,"));
    // A new part number starts the machine's count again.
    EXPECT_EQ(window->model().rows()[rowNamed("MILL 1")].count, "0");
}

TEST_F(DetailedViewWindowTest, ThePlaceIsKeptInItsFile)
{
    dir.write("mdpos.sys", "-40\r\n560\r\n30\r\n430\r\n0\r\n44\r\n88\r\n0\r\n");
    open();
    EXPECT_EQ(window->geometry(), QRect(0, 30, 600, 400));
    window->setGeometry(QRect(10, 20, 700, 500));
    window->close();
    QApplication::processEvents();
    EXPECT_EQ(window, nullptr);
    EXPECT_FALSE(link.anyMonitoringViewOpen());
    const auto saved = parseDetailedViewPlace(dir.read("mdpos.sys"));
    EXPECT_EQ(saved.rect, (WindowRect{10, 20, 710, 520}));
    EXPECT_FALSE(saved.maximized);
    EXPECT_TRUE(notifier.texts().empty());

    // A short file gives what it has; one that cannot be written is said so.
    EXPECT_EQ(parseDetailedViewPlace("5\r\n600\r\n"), DetailedViewPlace{});
    std::filesystem::remove(dir.path("mdpos.sys"));
    std::filesystem::create_directory(dir.path("mdpos.sys"));
    open().close();
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"File open error"});
}

}  // namespace
}  // namespace quillon
