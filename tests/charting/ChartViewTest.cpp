#include "charting/ChartView.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace quillon {
namespace {

const QRectF kPlot(60, 40, 800, 500);

TEST(Projection3D, PixelAndDepthLeadBackToThePoint)
{
    std::mt19937 random(9);
    std::uniform_real_distribution<double> any(-500, 500);
    const struct {
        double yaw, pitch, zoom;
        QPointF pan;
    } views[] = {
        {ChartView::kDefaultYaw, ChartView::kDefaultPitch, 1, {}},
        {0, 0, 1, {}},
        {-170, 89.9, 7.5, {0.3, -0.2}},
        {33, -60, 0.1, {-2, 4}},
        {180, 90, 1, {}},  // straight from above
    };
    for (const auto& v : views) {
        ChartView view;
        view.yaw = v.yaw;
        view.pitch = v.pitch;
        view.zoom = v.zoom;
        view.pan = v.pan;
        for (auto fit : {Projection3D::Fit::Sphere, Projection3D::Fit::Box}) {
            const Projection3D p({-200, 300}, {-40, 10}, {0, 120}, view, kPlot, {1, 0.1, 0.24},
                                 fit);
            for (int i = 0; i < 50; ++i) {
                const double x = any(random), y = any(random), z = any(random);
                const Point3 back = p.unmap(p.map(x, y, z), p.depth(x, y, z));
                EXPECT_NEAR(back.x, x, 1e-7) << v.yaw << " " << v.pitch;
                EXPECT_NEAR(back.y, y, 1e-7) << v.yaw << " " << v.pitch;
                EXPECT_NEAR(back.z, z, 1e-7) << v.yaw << " " << v.pitch;
            }
        }
    }
}

// The opening view of a 3D backplot (X across, the machine's Z up, its Y in depth) is a
// machinist's isometric view: X to the lower right, Y to the upper right, Z straight up,
// and no axis mirrored.
TEST(Projection3D, TheDefaultViewIsTheIsometricOne)
{
    const Projection3D p({0, 1}, {0, 1}, {0, 1}, ChartView(), kPlot, {1, 1, 1});
    const QPointF origin = p.map(0, 0, 0);
    const QPointF x = p.map(1, 0, 0) - origin;
    const QPointF up = p.map(0, 1, 0) - origin;
    const QPointF depth = p.map(0, 0, 1) - origin;
    EXPECT_GT(x.x(), 0);
    EXPECT_GT(x.y(), 0);  // screen y grows downwards
    EXPECT_GT(depth.x(), 0);
    EXPECT_LT(depth.y(), 0);
    EXPECT_NEAR(up.x(), 0, 1e-9);
    EXPECT_LT(up.y(), 0);
    // Isometric: the three axes equally long on screen.
    EXPECT_NEAR(std::hypot(x.x(), x.y()), std::hypot(up.x(), up.y()), 0.05);
    EXPECT_NEAR(std::hypot(x.x(), x.y()), std::hypot(depth.x(), depth.y()), 0.05);
    // The front corner (X max, Y min in depth) is nearer than the back one.
    EXPECT_GT(p.depth(1, 0, 0), p.depth(0, 0, 1));
}

TEST(Projection3D, TheWholeBoxFitsTheViewInEveryTurn)
{
    for (double yaw = -180; yaw < 180; yaw += 15) {
        for (double pitch = -90; pitch <= 90; pitch += 15) {
            ChartView view;
            view.yaw = yaw;
            view.pitch = pitch;
            const Projection3D p({0, 10}, {0, 3}, {0, 7}, view, kPlot, {1, 0.3, 0.7});
            for (int corner = 0; corner < 8; ++corner) {
                const QPointF at =
                    p.map(corner & 1 ? 10 : 0, corner & 2 ? 3 : 0, corner & 4 ? 7 : 0);
                EXPECT_TRUE(kPlot.contains(at)) << yaw << " " << pitch << " " << corner;
            }
        }
    }
}

TEST(Projection2D, MapsTheWindowOntoThePlot)
{
    const Projection2D p({-10, 30}, {0, 5}, ChartView(), kPlot, false);
    EXPECT_EQ(p.map(-10, 0), kPlot.bottomLeft());
    EXPECT_EQ(p.map(30, 5), kPlot.topRight());
    const QPointF data = p.unmap(QPointF(333, 222));
    EXPECT_NEAR(p.map(data.x(), data.y()).x(), 333, 1e-9);
    EXPECT_NEAR(p.map(data.x(), data.y()).y(), 222, 1e-9);
}

TEST(Projection2D, EqualScaleWidensTheShorterAxisAboutItsMiddle)
{
    // 40 units across 800 pixels, 5 units up 500: X has the more units per pixel.
    const Projection2D p({-10, 30}, {0, 5}, ChartView(), kPlot, true);
    EXPECT_DOUBLE_EQ(p.scaleX(), -p.scaleY());
    EXPECT_EQ(p.visibleX(), (AxisRange{-10, 30}));
    EXPECT_DOUBLE_EQ(p.visibleY().min + p.visibleY().max, 5);
    EXPECT_DOUBLE_EQ(p.visibleY().span(), 25);
}

TEST(ChartView, ZoomingKeepsThePointUnderThePointer)
{
    for (bool equalScale : {false, true}) {
        ChartView view;
        const QPointF pointer(123.4, 456.7);
        for (double factor : {1.25, 1.25, 3.0, 0.5, 1 / 1.25, 40.0}) {
            const Projection2D before({-10, 30}, {0, 5}, view, kPlot, equalScale);
            const QPointF data = before.unmap(pointer);
            view.zoomAbout(before.fractionAt(pointer), factor);
            const Projection2D after({-10, 30}, {0, 5}, view, kPlot, equalScale);
            const QPointF now = after.map(data.x(), data.y());
            EXPECT_NEAR(now.x(), pointer.x(), 1e-6) << factor;
            EXPECT_NEAR(now.y(), pointer.y(), 1e-6) << factor;
        }
    }
}

TEST(ChartView, ZoomingIn3DKeepsThePointUnderThePointer)
{
    ChartView view;
    const QPointF pointer(700, 120);
    for (double factor : {1.25, 2.0, 0.3, 10.0}) {
        const Projection3D before({0, 100}, {0, 50}, {0, 80}, view, kPlot, {1, 0.5, 0.8});
        const Point3 data = before.unmap(pointer, 0.1);
        zoomAbout(view, before, pointer, factor);
        const Projection3D after({0, 100}, {0, 50}, {0, 80}, view, kPlot, {1, 0.5, 0.8});
        const QPointF now = after.map(data.x, data.y, data.z);
        EXPECT_NEAR(now.x(), pointer.x(), 1e-6) << factor;
        EXPECT_NEAR(now.y(), pointer.y(), 1e-6) << factor;
    }
}

TEST(ChartView, ZoomAndTiltStayWithinTheirLimits)
{
    ChartView view;
    for (int i = 0; i < 100; ++i)
        view.zoomAbout(QPointF(0.3, 0.3), 10);
    EXPECT_GE(view.right - view.left, 1e-7 * 0.999);
    for (int i = 0; i < 100; ++i)
        view.zoomAbout(QPointF(0.3, 0.3), 0.1);
    EXPECT_LE(view.right - view.left, 1e3 * 1.001);
    view.zoomAbout(QPointF(0.3, 0.3), std::nan(""));
    EXPECT_TRUE(std::isfinite(view.left));
    view.rotate(30, 200);
    EXPECT_EQ(view.pitch, 90);
    view.rotate(400, -500);
    EXPECT_EQ(view.pitch, -90);
    EXPECT_LE(std::abs(view.yaw), 180);
}

}  // namespace
}  // namespace quillon
