// A paint device for tests that records the texts and lines drawn on it, with the pen
// colour and the clip of each text.
#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>

#include <limits>
#include <vector>

namespace quillon::test {

struct DrawnText {
    QString text;
    QPointF baseline;  // the start of the text on its baseline
    qreal width;
    QColor color;
    qreal clipRight;  // infinite without a clip
};

class RecordingEngine final : public QPaintEngine {
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & QPaintEngine::DirtyPen)
            m_pen = state.pen();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF& at, const QTextItem& item) override
    {
        const qreal clipRight = painter()->hasClipping() ? painter()->clipBoundingRect().right()
                                                         : std::numeric_limits<qreal>::infinity();
        texts.push_back({item.text(), at, item.width(), m_pen.color(), clipRight});
    }
    void drawLines(const QLineF* lines, int count) override
    {
        drawnLines.insert(drawnLines.end(), lines, lines + count);
    }
    Type type() const override { return QPaintEngine::User; }

    std::vector<DrawnText> texts;
    std::vector<QLineF> drawnLines;

private:
    QPen m_pen;
};

// A page at 254 dots an inch: one device pixel is 0.1 mm, so a print painter needs no scale.
class RecordingDevice final : public QPaintDevice {
public:
    static constexpr int kDotsPerInch = 254;

    explicit RecordingDevice(QSize size) : m_size(size) {}
    QPaintEngine* paintEngine() const override { return &m_engine; }
    RecordingEngine& engine() { return m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_size.width();
        case PdmHeight:
            return m_size.height();
        case PdmWidthMM:
            return m_size.width() / 10;
        case PdmHeightMM:
            return m_size.height() / 10;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return kDotsPerInch;
        case PdmNumColors:
            return std::numeric_limits<int>::max();
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize m_size;
    mutable RecordingEngine m_engine;
};

}  // namespace quillon::test
