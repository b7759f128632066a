// The drawn form of one series: its points projected to pixels, clipped and decimated;
// kept between paints and extended in place when points are appended.
#pragma once

#include <QRectF>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "charting/ChartData.h"
#include "charting/ChartView.h"
#include "charting/PolylineDecimator.h"

namespace quillon {

// The screen box of a box of data points (the map is linear, so it bounds all the box
// holds). Built from corners, never united: a box of no width still counts.
QRectF screenBox(const PointBox& box, const Projection2D& projection);
QRectF screenBox(const PointBox& box, const Projection3D& projection);

class SeriesGeometry {
public:
    // The series' polylines under the projection, clipped to clip. When the series (same
    // object, same revision), the projection and the clip rectangle are those of the last
    // call, only the points appended since are projected: the cost of a step that adds a
    // few points to a million is that of the few. Otherwise everything is built again,
    // skipping whole runs of points whose box lies outside the clip rectangle.
    const Polylines& update(const ChartSeries& series, const Projection2D& projection,
                            QRectF clip);
    const Polylines& update(const ChartSeries& series, const Projection3D& projection,
                            QRectF clip);

    // How many points the last update projected (what a test of the incremental update
    // and of run skipping looks at).
    std::size_t pointsWalked() const { return m_walked; }

private:
    bool restartNeeded(const ChartSeries& series, QRectF clip) const;
    void restart(const ChartSeries& series, QRectF clip);
    template <typename Source>
    void walk(const ChartSeries& series, const Source& source);

    std::uint64_t m_seriesId = 0;
    std::uint64_t m_revision = 0;
    std::optional<Projection2D> m_projection2D;
    std::optional<Projection3D> m_projection3D;
    QRectF m_clip;
    std::size_t m_next = 0;  // the first point not walked yet
    std::size_t m_walked = 0;
    PolylineDecimator m_decimator;
};

}  // namespace quillon
