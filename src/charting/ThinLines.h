// Solid, opaque lines one pixel wide, antialiased, written straight into the pixels of an
// ARGB32 premultiplied image. This is what a plot of a million points spends its time on,
// and QPainter draws such lines a pixel at a time through its span machinery; here a
// pixel is two multiplications. The rows are cut into bands, one a core, and every band
// draws all the lines in order but only its own rows. Each pixel's value depends on the
// lines that cross it and on nothing else (no running error term is carried from one
// pixel to the next), so any number of bands gives the same image, byte for byte.
//
// The look is QPainter's for a one-pixel antialiased pen: each column of a flat line (row
// of a steep one) shares the colour between the two pixels nearest the line's centre, in
// proportion to how near each is.
#pragma once

#include <QPoint>
#include <QRect>
#include <QRgb>

#include <span>

class QImage;

namespace quillon {

struct Polylines;

struct ThinLineSeries {
    const Polylines* lines = nullptr;
    QRgb colour = 0;  // opaque; the alpha byte is ignored
};

// Draws the series in order, each over those before, into the pixels of image whose
// centres lie inside clip (in image pixels; cut to the image). A point p of the lines is
// at p - origin in the image. image must be Format_ARGB32_Premultiplied. bands > 1 draws
// on that many threads at once (fewer when the clip has few rows); 1 draws on the calling
// thread alone.
void drawThinLines(QImage& image, QPoint origin, QRect clip,
                   std::span<const ThinLineSeries> series, int bands);

// How many bands to draw points on: one a core, one alone for small work.
int thinLineBands(std::size_t points);

}  // namespace quillon
