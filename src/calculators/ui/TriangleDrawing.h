// The picture of the right-angle triangle calculator: which side is A, B and C and which
// angle is a, b and c.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QWidget>

namespace quillon {

class TriangleDrawing : public QWidget {
    Q_OBJECT
public:
    explicit TriangleDrawing(QWidget* parent = nullptr);

    // The corners in the area: the right angle c at the lower left, then the corner of
    // angle a at the lower right and of angle b at the top.
    //
    //      b
    //      |\            A: the leg opposite a (left)
    //    A |  \  C       B: the leg opposite b (bottom)
    //      |    \        C: the hypotenuse
    //     c|______\ a
    //          B
    struct Corners {
        QPointF c;
        QPointF a;
        QPointF b;
    };
    static Corners corners(const QRectF& area);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quillon
