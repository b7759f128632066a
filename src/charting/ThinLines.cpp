#include "charting/ThinLines.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "charting/PolylineDecimator.h"

namespace quillon {

namespace {

// Below this many points a second thread costs more than it saves.
constexpr std::size_t kPointsPerExtraBand = 200'000;
constexpr int kMaxBands = 8;
constexpr int kMinRowsPerBand = 32;

// Positions along the minor axis in 32.32 fixed point: exact to a billionth of a pixel over
// any width an image has, and the same value whichever band computes it.
constexpr int kFractionBits = 32;
constexpr double kOne = 4294967296.0;

// c * a + d * (255 - a), per channel, of two premultiplied pixels.
inline std::uint32_t interpolate(std::uint32_t c, std::uint32_t d, std::uint32_t a)
{
    const std::uint32_t b = 255 - a;
    std::uint32_t rb = (c & 0xff00ff) * a + (d & 0xff00ff) * b;
    rb = ((rb + ((rb >> 8) & 0xff00ff) + 0x800080) >> 8) & 0xff00ff;
    std::uint32_t ag = ((c >> 8) & 0xff00ff) * a + ((d >> 8) & 0xff00ff) * b;
    ag = (ag + ((ag >> 8) & 0xff00ff) + 0x800080) & 0xff00ff00;
    return rb | ag;
}

// Lays colour over the pixel with that coverage. A pixel that has the colour already, as
// where a dense path goes over itself, keeps it whatever the coverage.
inline void cover(std::uint32_t& pixel, std::uint32_t colour, std::uint32_t alpha)
{
    if (pixel != colour)
        pixel = alpha == 255 ? colour : interpolate(colour, pixel, alpha);
}

// One band's view of the image: its rows, the clip's columns.
struct Band {
    std::uint32_t* bits = nullptr;
    qsizetype stride = 0;     // in pixels
    int left = 0, right = 0;  // columns [left, right)
    int top = 0, bottom = 0;  // rows [top, bottom)
    // The whole clip, the same for every band: lines are cut to it (with a margin) before
    // they are walked, so that the walk is bounded and the same in each band.
    double clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;
    double originX = 0, originY = 0;  // where the image's pixel (0, 0) is among the points
};

// std::ceil of a value known to fit an int, without the library call a plain x86-64 build
// makes of it.
inline int ceiling(double value)
{
    const int truncated = static_cast<int>(value);
    return truncated + (truncated < value);
}

// The pixels along the major axis are those whose centres lie in [start, end) of it; at
// each, the line's minor coordinate is shared between the two pixels nearest to it.
template <bool Steep>
void walk(const Band& band, std::uint32_t colour, double major1, double minor1, double major2,
          double minor2)
{
    if (major1 > major2) {
        std::swap(major1, major2);
        std::swap(minor1, minor2);
    }
    const double slope = (minor2 - minor1) / (major2 - major1);
    // The minor coordinate at pixel centre i + 0.5, less half a pixel: its floor is the
    // upper (left) pixel of the pair, its fraction the share of the lower (right) one.
    const double base = minor1 + (0.5 - major1) * slope - 0.5;
    // Truncated, not rounded: a billionth of a pixel does not show, a library call would.
    const auto fixedBase = static_cast<std::int64_t>(base * kOne);
    const auto fixedSlope = static_cast<std::int64_t>(slope * kOne);

    const int majorLow = Steep ? band.top : band.left;
    const int majorHigh = Steep ? band.bottom : band.right;
    const int minorLow = Steep ? band.left : band.top;
    const int minorHigh = Steep ? band.right : band.bottom;
    int first = std::max(ceiling(major1 - 0.5), majorLow);
    int last = std::min(ceiling(major2 - 0.5), majorHigh);  // past
    if (!Steep && first < last) {
        // A flat line crosses a band's rows in a few of its columns: walk only those.
        if (slope == 0) {
            if (base < minorLow - 1 || base >= minorHigh)
                return;
        } else {
            // Where the line enters and leaves the band, kept within [first, last] so that
            // they fit an int, with a margin for the truncation.
            const double a = (minorLow - 1 - base) / slope, b = (minorHigh - base) / slope;
            const double from = std::clamp(std::min(a, b), double(first), double(last));
            const double to = std::clamp(std::max(a, b), double(first), double(last));
            first = std::max(first, static_cast<int>(from) - 2);
            last = std::min(last, static_cast<int>(to) + 3);
        }
    }
    if (first >= last)
        return;
    // Pixel (major i, minor m) is lane[m * minorStep] where lane is the start of line i.
    const qsizetype majorStep = Steep ? band.stride : 1;
    const qsizetype minorStep = Steep ? 1 : band.stride;
    std::uint32_t* lane = band.bits + first * majorStep;
    const auto minorSpan = static_cast<unsigned>(minorHigh - minorLow);
    // Adding the slope step by step gives, in integers, exactly base + i * slope.
    std::int64_t at = fixedBase + static_cast<std::int64_t>(first) * fixedSlope;
    for (int i = first; i < last; ++i, at += fixedSlope, lane += majorStep) {
        const int near = static_cast<int>(at >> kFractionBits);
        const auto share = static_cast<std::uint32_t>((at >> (kFractionBits - 8)) & 0xff);
        if (static_cast<unsigned>(near - minorLow) < minorSpan)
            cover(lane[near * minorStep], colour, 255 - share);
        if (share != 0 && static_cast<unsigned>(near + 1 - minorLow) < minorSpan)
            cover(lane[(near + 1) * minorStep], colour, share);
    }
}

void drawSegment(const Band& band, std::uint32_t colour, QPointF from, QPointF to)
{
    double x1 = from.x() - band.originX, y1 = from.y() - band.originY;
    double x2 = to.x() - band.originX, y2 = to.y() - band.originY;
    // A segment wholly above or below the band's rows is none of its business (most are,
    // in a picture of many bands); the comparisons are false for NaN, which goes on to
    // be dropped below.
    if ((y1 < band.top - 2 && y2 < band.top - 2) || (y1 > band.bottom + 2 && y2 > band.bottom + 2))
        return;
    if (x1 == x2 && y1 == y2)
        return;
    const double left = band.clipLeft - 2, top = band.clipTop - 2;
    const double right = band.clipRight + 2, bottom = band.clipBottom + 2;
    const auto inside = [&](double x, double y) {
        return x >= left && x <= right && y >= top && y <= bottom;
    };
    if (!inside(x1, y1) || !inside(x2, y2)) {
        if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
            return;
        // Cut to the whole clip with a margin of two pixels (the pixels a line lights
        // beside it are still inside), never to the band: every band walks the same line.
        if (!clipSegment(x1, y1, x2, y2, QRectF(left, top, right - left, bottom - top)))
            return;
    }
    if (std::abs(x2 - x1) >= std::abs(y2 - y1)) {
        if (x1 != x2)
            walk<false>(band, colour, x1, y1, x2, y2);
    } else {
        walk<true>(band, colour, y1, x1, y2, x2);
    }
}

void drawBand(const Band& band, std::span<const ThinLineSeries> series)
{
    for (const ThinLineSeries& one : series) {
        const std::uint32_t colour = one.colour | 0xff000000u;
        const Polylines& lines = *one.lines;
        for (std::size_t i = 0; i < lines.count(); ++i) {
            const std::size_t end = lines.end(i);
            for (std::size_t p = lines.begin(i); p + 1 < end; ++p)
                drawSegment(band, colour, lines.points[p], lines.points[p + 1]);
        }
    }
}

}  // namespace

void drawThinLines(QImage& image, QPoint origin, QRect clip,
                   std::span<const ThinLineSeries> series, int bands)
{
    Q_ASSERT(image.format() == QImage::Format_ARGB32_Premultiplied);
    clip = clip.intersected(image.rect());
    if (clip.isEmpty() || series.empty())
        return;
    Band whole;
    whole.bits = reinterpret_cast<std::uint32_t*>(image.bits());  // detaches once, here
    whole.stride = image.bytesPerLine() / 4;
    whole.left = clip.left();
    whole.right = clip.left() + clip.width();
    whole.top = clip.top();
    whole.bottom = clip.top() + clip.height();
    whole.clipLeft = whole.left;
    whole.clipTop = whole.top;
    whole.clipRight = whole.right;
    whole.clipBottom = whole.bottom;
    whole.originX = origin.x();
    whole.originY = origin.y();

    bands = std::clamp(std::min(bands, clip.height() / kMinRowsPerBand), 1, kMaxBands);
    std::vector<Band> parts(static_cast<std::size_t>(bands), whole);
    for (int b = 0; b < bands; ++b) {
        parts[static_cast<std::size_t>(b)].top = whole.top + clip.height() * b / bands;
        parts[static_cast<std::size_t>(b)].bottom = whole.top + clip.height() * (b + 1) / bands;
    }
    std::vector<std::thread> helpers;
    helpers.reserve(parts.size() - 1);
    for (std::size_t b = 1; b < parts.size(); ++b)
        helpers.emplace_back([&, b] { drawBand(parts[b], series); });
    drawBand(parts[0], series);
    for (std::thread& helper : helpers)
        helper.join();
}

int thinLineBands(std::size_t points)
{
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const auto wanted = static_cast<int>(std::min<std::size_t>(
        1 + points / kPointsPerExtraBand, static_cast<std::size_t>(kMaxBands)));
    return std::min(cores, wanted);
}

}  // namespace quillon
