#include "platform/ui/ColorSwatch.h"

#include <QColorDialog>
#include <QPainter>

namespace quillon {

ColorPicker standardColorPicker(QWidget* parent)
{
    return [parent](QColor current, QString title) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(current, parent, title);
        if (!chosen.isValid())
            return std::nullopt;
        return chosen;
    };
}

ColorSwatch::ColorSwatch(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void ColorSwatch::setColor(const QColor& color)
{
    m_color = color;
    update();
}

QSize ColorSwatch::sizeHint() const
{
    const int height = fontMetrics().height();
    return {3 * height, height + 2 * frameWidth()};
}

void ColorSwatch::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(contentsRect(), m_color);
}

}  // namespace quillon
