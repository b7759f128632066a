// Tools > "Bolt hole circle", "Right angle triangle" and "Surface speed": the dialogs as
// the menu opens them, their results, refusals, copying and what outlives a dialog.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "calculators/ui/BoltHoleCircleDialog.h"
#include "calculators/ui/RightAngleTriangleDialog.h"
#include "calculators/ui/SurfaceSpeedDialog.h"
#include "calculators/ui/TriangleDrawing.h"
#include "gui/AppWindowTest.h"
#include "gui/GuiTestSupport.h"
#include "gui/RecordingPaintDevice.h"

namespace quillon {
namespace {

using test::findByText;

QStringList listLines(const QListWidget& list)
{
    QStringList lines;
    for (int row = 0; row < list.count(); ++row)
        lines << list.item(row)->text();
    return lines;
}

void click(QWidget& dialog, const QString& button)
{
    QPushButton* found = findByText<QPushButton>(dialog, button);
    ASSERT_TRUE(found) << button.toStdString();
    found->click();
}

class ShopCalculatorDialogsTest : public test::AppWindowTest {
protected:
    // Runs the Tools command; the dialog, when one opens, gets `action` and is closed
    // with Exit unless the action closed it. Whether it opened.
    template <typename Dialog>
    bool run(const QString& command, std::function<void(Dialog&)> action)
    {
        bool opened = false;
        test::onNextDialog<Dialog>([&opened, action](Dialog& dialog) {
            opened = true;
            action(dialog);
            if (dialog.isVisible())
                click(dialog, "Exit");
        });
        QAction* menuCommand = findByText<QAction>(*frame, command);
        EXPECT_TRUE(menuCommand) << command.toStdString();
        if (menuCommand)
            menuCommand->trigger();
        QApplication::processEvents();
        return opened;
    }
    bool boltHoles(std::function<void(BoltHoleCircleDialog&)> action)
    {
        return run<BoltHoleCircleDialog>("&Bolt hole circle", std::move(action));
    }
    bool triangle(std::function<void(RightAngleTriangleDialog&)> action)
    {
        return run<RightAngleTriangleDialog>("&Right angle triangle", std::move(action));
    }
    bool surfaceSpeed(std::function<void(SurfaceSpeedDialog&)> action)
    {
        return run<SurfaceSpeedDialog>("S&urface speed", std::move(action));
    }

    // Every notice was a plain OK box under the program's title.
    void expectOkBoxes()
    {
        for (const Notice& notice : notifier.shown()) {
            EXPECT_EQ(notice.title, "") << notice.text;
            EXPECT_EQ(notice.buttons, NoticeButtons::Ok) << notice.text;
        }
    }
};

// ---- Bolt hole circle ---------------------------------------------------------------

void fillBoltHoles(BoltHoleCircleDialog& dialog, const std::array<QString, 5>& texts)
{
    dialog.xEdit()->setText(texts[0]);
    dialog.yEdit()->setText(texts[1]);
    dialog.radiusEdit()->setText(texts[2]);
    dialog.holesEdit()->setText(texts[3]);
    dialog.firstEdit()->setText(texts[4]);
}

std::array<QString, 5> boltHoleTexts(const BoltHoleCircleDialog& dialog)
{
    return {dialog.xEdit()->text(), dialog.yEdit()->text(), dialog.radiusEdit()->text(),
            dialog.holesEdit()->text(), dialog.firstEdit()->text()};
}

const QStringList kFourHolesFrom45 = {"X7.0710   Y7.0710", "X7.0710   Y-7.0710",
                                      "X-7.0710   Y-7.0710", "X-7.0710   Y7.0710"};

TEST_F(ShopCalculatorDialogsTest, BoltHolesAreListedClockwiseFromTwelveAndStartEmpty)
{
    EXPECT_TRUE(boltHoles([](BoltHoleCircleDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Bolt hole circle");
        QGroupBox* centre = dialog.findChild<QGroupBox*>();
        ASSERT_TRUE(centre);
        EXPECT_EQ(centre->title(), "Centerpoint");
        EXPECT_EQ(centre->findChildren<QLineEdit*>(),
                  (QList<QLineEdit*>{dialog.xEdit(), dialog.yEdit()}));
        for (const char* label :
             {"X", "Y", "Radius", "Number of holes:", "First hole CW position:", "[deg]"})
            EXPECT_TRUE(findByText<QLabel>(dialog, label)) << label;
        // Lines of different digits still line up their Y.
        const QFontMetrics listFont(dialog.holeList()->font());
        EXPECT_EQ(listFont.horizontalAdvance("1"), listFont.horizontalAdvance("-"));
        EXPECT_EQ(listFont.horizontalAdvance("1"), listFont.horizontalAdvance("X"));

        fillBoltHoles(dialog, {"0", "0", "10", "4", "45"});
        click(dialog, "Calculate");
        EXPECT_EQ(listLines(*dialog.holeList()), kFourHolesFrom45);
        test::saveScreenshot(dialog, "calc-bolt-hole-circle");

        // A second calculation replaces the list rather than adding to it.
        fillBoltHoles(dialog, {"100", "-50", "25", "2", "0"});
        click(dialog, "Calculate");
        EXPECT_EQ(listLines(*dialog.holeList()),
                  (QStringList{"X100.0000   Y-25.0000", "X100.0000   Y-75.0000"}));
        EXPECT_TRUE(dialog.isVisible());
    }));
    EXPECT_TRUE(notifier.shown().empty());

    // Nothing of the last opening comes back.
    EXPECT_TRUE(boltHoles([](BoltHoleCircleDialog& dialog) {
        for (const QString& text : boltHoleTexts(dialog))
            EXPECT_TRUE(text.isEmpty()) << text.toStdString();
        EXPECT_EQ(dialog.holeList()->count(), 0);
    }));
}

TEST_F(ShopCalculatorDialogsTest, ARefusedBoltHoleFieldKeepsTheTypedValuesAndTheList)
{
    struct Row {
        const char* scenario;
        std::array<QString, 5> texts;
        const char* message;
    };
    const Row rows[] = {
        {"no centre", {"", "0", "10", "4", "45"}, "Specify X centerpoint"},
        {"radius too small", {"0", "0", "0.005", "4", "45"}, "Radius is too small"},
        {"one hole", {"0", "0", "10", "1", "45"}, "Number of holes is too small"},
        {"361 holes", {"0", "0", "10", "361", "45"}, "Number of holes are too large"},
        {"beyond a turn", {"0", "0", "10", "4", "361"}, "First hole position is too large"},
    };
    EXPECT_TRUE(boltHoles([&](BoltHoleCircleDialog& dialog) {
        fillBoltHoles(dialog, {"0", "0", "10", "4", "45"});
        click(dialog, "Calculate");
        for (const Row& row : rows) {
            notifier.clear();
            fillBoltHoles(dialog, row.texts);
            click(dialog, "Calculate");
            EXPECT_EQ(notifier.texts(), std::vector<std::string>{row.message}) << row.scenario;
            EXPECT_EQ(boltHoleTexts(dialog), row.texts) << row.scenario;
            EXPECT_EQ(listLines(*dialog.holeList()), kFourHolesFrom45) << row.scenario;
            EXPECT_TRUE(dialog.isVisible()) << row.scenario;
        }
        expectOkBoxes();
    }));
}

TEST_F(ShopCalculatorDialogsTest, BoltHoleFieldsAreReadToNineteenCharacters)
{
    EXPECT_TRUE(boltHoles([](BoltHoleCircleDialog& dialog) {
        // Nineteen characters say 4; the twentieth would make it 40.
        const QString holes = QString(18, '0') + "40";
        fillBoltHoles(dialog, {"0", "0", "10", holes, "45"});
        click(dialog, "Calculate");
        EXPECT_EQ(listLines(*dialog.holeList()), kFourHolesFrom45);
        EXPECT_EQ(dialog.holesEdit()->text(), holes);
    }));
}

TEST_F(ShopCalculatorDialogsTest, CopyPutsTheLinesOnTheClipboardEachEndedByCrLf)
{
    QApplication::clipboard()->setText("before");
    EXPECT_TRUE(boltHoles([&](BoltHoleCircleDialog& dialog) {
        // An empty list copies nothing and says nothing.
        click(dialog, "Copy");
        EXPECT_EQ(QApplication::clipboard()->text(), "before");

        fillBoltHoles(dialog, {"0", "0", "10", "4", "45"});
        click(dialog, "Calculate");
        click(dialog, "Copy");
        EXPECT_EQ(QApplication::clipboard()->text(),
                  "X7.0710   Y7.0710\r\nX7.0710   Y-7.0710\r\n"
                  "X-7.0710   Y-7.0710\r\nX-7.0710   Y7.0710\r\n");
        EXPECT_TRUE(notifier.shown().empty());

        // A clipboard that cannot be written is told; the list stays.
        QStringList offered;
        dialog.setClipboardWriter([&offered](const QString& text) {
            offered << text;
            return false;
        });
        click(dialog, "Copy");
        EXPECT_EQ(offered.size(), 1);
        EXPECT_EQ(notifier.texts(), std::vector<std::string>{"Could not copy"});
        EXPECT_EQ(dialog.holeList()->count(), 4);
        expectOkBoxes();
    }));
}

// ---- Right angle triangle -------------------------------------------------------------

using TriangleFieldTexts = std::array<QString, kTriangleFields>;

void fillTriangle(RightAngleTriangleDialog& dialog, const TriangleFieldTexts& texts)
{
    for (std::size_t i = 0; i < kTriangleFields; ++i)
        dialog.field(static_cast<TriangleField>(i))->setText(texts[i]);
}

TriangleFieldTexts triangleTexts(const RightAngleTriangleDialog& dialog)
{
    TriangleFieldTexts texts;
    for (std::size_t i = 0; i < kTriangleFields; ++i)
        texts[i] = dialog.field(static_cast<TriangleField>(i))->text();
    return texts;
}

const TriangleFieldTexts kThreeFourFive = {"3.0000", "4.0000", "5.0000", "36.8699", "53.1301"};

TEST_F(ShopCalculatorDialogsTest, TheTriangleKeepsItsTextsFromOneOpeningToTheNextUntilCleared)
{
    EXPECT_TRUE(triangle([](RightAngleTriangleDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Right Angle Triangle");
        QStringList titles;
        for (auto* box : dialog.findChildren<QGroupBox*>())
            titles << box->title();
        EXPECT_EQ(titles, (QStringList{"Sides", "Opposing angles"}));
        for (const char* label : {"A", "B", "C", "a", "b", "c = 90"})
            EXPECT_TRUE(findByText<QLabel>(dialog, label)) << label;
        EXPECT_TRUE(dialog.findChild<TriangleDrawing*>());
        EXPECT_EQ(triangleTexts(dialog), TriangleFieldTexts{});

        fillTriangle(dialog, {"3", "4", "", "", ""});
        click(dialog, "Calculate");
        EXPECT_EQ(triangleTexts(dialog), kThreeFourFive);
        test::saveScreenshot(dialog, "calc-right-angle-triangle");
    }));
    // Closed by Exit: the results come back.
    EXPECT_TRUE(triangle([](RightAngleTriangleDialog& dialog) {
        EXPECT_EQ(triangleTexts(dialog), kThreeFourFive);
        // Texts typed and never calculated are kept too, however the dialog closes.
        fillTriangle(dialog, {"", "", "10", "30", ""});
        dialog.reject();
    }));
    EXPECT_TRUE(triangle([](RightAngleTriangleDialog& dialog) {
        EXPECT_EQ(triangleTexts(dialog), (TriangleFieldTexts{"", "", "10", "30", ""}));
        click(dialog, "Calculate");
        EXPECT_EQ(triangleTexts(dialog),
                  (TriangleFieldTexts{"5.0000", "8.6602", "10.0000", "30.0000", "60.0000"}));
        click(dialog, "Clear");
        EXPECT_EQ(triangleTexts(dialog), TriangleFieldTexts{});
        EXPECT_TRUE(dialog.isVisible());
    }));
    EXPECT_TRUE(triangle([](RightAngleTriangleDialog& dialog) {
        EXPECT_EQ(triangleTexts(dialog), TriangleFieldTexts{});
    }));
    EXPECT_TRUE(notifier.shown().empty());
}

TEST_F(ShopCalculatorDialogsTest, ARefusedTriangleKeepsTheFieldsAsTyped)
{
    struct Row {
        const char* scenario;
        TriangleFieldTexts texts;
        const char* message;
    };
    const Row rows[] = {
        {"three sides that agree", {"3", "4", "5", "", ""}, "Too many data"},
        {"one side", {"3", "", "", "", ""}, "Too few data"},
        {"two angles", {"", "", "", "30", "60"}, "Undefined triangle"},
        {"a side too small", {"3", "0.00001", "", "", ""}, "Too small 'B' value"},
        {"a leg longer than the hypotenuse", {"5", "", "3", "", ""}, "Impossible triangle"},
    };
    EXPECT_TRUE(triangle([&](RightAngleTriangleDialog& dialog) {
        for (const Row& row : rows) {
            notifier.clear();
            fillTriangle(dialog, row.texts);
            click(dialog, "Calculate");
            EXPECT_EQ(notifier.texts(), std::vector<std::string>{row.message}) << row.scenario;
            EXPECT_EQ(triangleTexts(dialog), row.texts) << row.scenario;
            EXPECT_TRUE(dialog.isVisible()) << row.scenario;
        }
        expectOkBoxes();
    }));
}

TEST_F(ShopCalculatorDialogsTest, TriangleFieldsAreReadAndKeptToSeventeenCharacters)
{
    // Seventeen characters say 3; the eighteenth would make it 30.
    const QString longA = QString(16, '0') + "30";
    EXPECT_TRUE(triangle([&](RightAngleTriangleDialog& dialog) {
        fillTriangle(dialog, {longA, "4", "", "", ""});
        click(dialog, "Calculate");
        EXPECT_EQ(triangleTexts(dialog), kThreeFourFive);
        fillTriangle(dialog, {longA, "", "", "", ""});
    }));
    EXPECT_TRUE(triangle([&](RightAngleTriangleDialog& dialog) {
        EXPECT_EQ(triangleTexts(dialog)[0], longA.left(17));
    }));
}

TEST(TriangleDrawingTest, TheRightAngleSitsLowerLeftAndEachLabelBesideItsPart)
{
    TriangleDrawing drawing;
    drawing.resize(300, 200);
    const TriangleDrawing::Corners k = TriangleDrawing::corners(QRectF(0, 0, 300, 200));
    EXPECT_EQ(k.c, QPointF(60, 160));
    EXPECT_EQ(k.a, QPointF(240, 160));
    EXPECT_EQ(k.b, QPointF(60, 110));
    // The area need not start at the origin.
    EXPECT_EQ(TriangleDrawing::corners(QRectF(10, 20, 100, 100)).b, QPointF(30, 75));

    test::RecordingDevice device(drawing.size());
    drawing.render(&device, {}, {}, QWidget::DrawChildren);  // no background to record
    const auto& lines = device.engine().drawnLines;
    for (const QLineF& side : {QLineF(k.c, k.a), QLineF(k.a, k.b), QLineF(k.b, k.c)}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), side), lines.end())
            << side.p1().x() << "," << side.p1().y() << " " << side.p2().x() << ","
            << side.p2().y();
    }
    std::map<QString, QPointF> labels;
    for (const test::DrawnText& text : device.engine().texts)
        labels[text.text] = text.baseline + QPointF(text.width / 2, 0);
    ASSERT_EQ(labels.size(), 6u);
    // A at the left of the upright leg, B under the bottom leg, C above the hypotenuse.
    EXPECT_LT(labels["A"].x(), k.c.x());
    EXPECT_TRUE(labels["A"].y() > k.b.y() && labels["A"].y() < k.c.y() + 5);
    EXPECT_GT(labels["B"].y(), k.c.y());
    EXPECT_TRUE(labels["B"].x() > k.c.x() && labels["B"].x() < k.a.x());
    const QPointF middle = (k.a + k.b) / 2;
    EXPECT_TRUE(labels["C"].x() > middle.x() && labels["C"].y() < middle.y());
    // Each angle at its own corner, the right angle c at the lower left.
    EXPECT_GT(labels["a"].x(), k.a.x());
    EXPECT_LT(labels["b"].y(), k.b.y());
    EXPECT_LT(labels["c"].x(), k.c.x());
    EXPECT_GT(labels["c"].y(), k.c.y());
}

// ---- Surface speed --------------------------------------------------------------------

using SpeedTexts = std::array<QString, kSurfaceSpeedFields>;

void fillSpeeds(SurfaceSpeedDialog& dialog, const SpeedTexts& texts)
{
    dialog.rpmEdit()->setText(texts[0]);
    dialog.diameterEdit()->setText(texts[1]);
    dialog.inchPerSecondEdit()->setText(texts[2]);
    dialog.feetPerMinuteEdit()->setText(texts[3]);
}

SpeedTexts speedTexts(const SurfaceSpeedDialog& dialog)
{
    return {dialog.rpmEdit()->text(), dialog.diameterEdit()->text(),
            dialog.inchPerSecondEdit()->text(), dialog.feetPerMinuteEdit()->text()};
}

TEST_F(ShopCalculatorDialogsTest, SurfaceSpeedFillsTheComputedFieldsAndClearEmptiesAll)
{
    EXPECT_TRUE(surfaceSpeed([](SurfaceSpeedDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "RPM/Diameter/Surface speed");
        for (const char* label :
             {"RPM", "DIA [inch]", "Surface speed", "[inch/sec]", "[feet/min]"})
            EXPECT_TRUE(findByText<QLabel>(dialog, label)) << label;
        EXPECT_EQ(speedTexts(dialog), SpeedTexts{});

        fillSpeeds(dialog, {"1000", "1", "", ""});
        click(dialog, "Calculate");
        // The given values stay as typed.
        EXPECT_EQ(speedTexts(dialog), (SpeedTexts{"1000", "1", "52.35", "261.79"}));
        test::saveScreenshot(dialog, "calc-surface-speed");

        // Enter calculates, as Calculate is the default button, and the dialog stays.
        fillSpeeds(dialog, {"", "2", "", "261.79"});
        QTest::keyClick(dialog.feetPerMinuteEdit(), Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(speedTexts(dialog), (SpeedTexts{"499.98", "2", "52.35", "261.79"}));

        click(dialog, "Clear");
        EXPECT_EQ(speedTexts(dialog), SpeedTexts{});
        EXPECT_TRUE(dialog.isVisible());
        fillSpeeds(dialog, {"1", "2", "3", "4"});
    }));
    EXPECT_TRUE(surfaceSpeed(
        [](SurfaceSpeedDialog& dialog) { EXPECT_EQ(speedTexts(dialog), SpeedTexts{}); }));
    EXPECT_TRUE(notifier.shown().empty());
}

TEST_F(ShopCalculatorDialogsTest, ARefusedSurfaceSpeedKeepsTheFieldsAsTyped)
{
    struct Row {
        const char* scenario;
        SpeedTexts texts;
        const char* message;
    };
    const Row rows[] = {
        {"one value", {"1000", "", "", ""}, "Incorrect data"},
        {"both speeds", {"", "1", "52.35", "261.79"}, "Incorrect data"},
        {"RPM too small", {"0.0009", "1", "", ""}, "Too small RPM value"},
        {"a speed too small", {"1000", "", "", "0"}, "Too small Surface Speed value"},
    };
    EXPECT_TRUE(surfaceSpeed([&](SurfaceSpeedDialog& dialog) {
        for (const Row& row : rows) {
            notifier.clear();
            fillSpeeds(dialog, row.texts);
            click(dialog, "Calculate");
            EXPECT_EQ(notifier.texts(), std::vector<std::string>{row.message}) << row.scenario;
            EXPECT_EQ(speedTexts(dialog), row.texts) << row.scenario;
        }
        expectOkBoxes();
    }));
}

TEST_F(ShopCalculatorDialogsTest, SurfaceSpeedFieldsAreReadToFourteenCharacters)
{
    EXPECT_TRUE(surfaceSpeed([](SurfaceSpeedDialog& dialog) {
        // Fourteen characters say 1000; the fifteenth would make it 10000. The field keeps
        // all that was typed.
        const QString rpm = QString(10, '0') + "10000";
        fillSpeeds(dialog, {rpm, "1", "", ""});
        click(dialog, "Calculate");
        EXPECT_EQ(speedTexts(dialog), (SpeedTexts{rpm, "1", "52.35", "261.79"}));
    }));
}

}  // namespace
}  // namespace quillon
