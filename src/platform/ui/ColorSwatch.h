// What the colour dialogs share: the sample beside a colour button and the way a colour is
// asked for.
#pragma once

#include <QColor>
#include <QFrame>
#include <QString>

#include <functional>
#include <optional>

namespace quillon {

// Asks for a colour, starting from the current one; nullopt when the user cancels. Tests
// answer in place of the standard colour dialog.
using ColorPicker = std::function<std::optional<QColor>(QColor current, QString title)>;

// The standard colour dialog over the parent.
ColorPicker standardColorPicker(QWidget* parent);

// A sunken rectangle filled with one colour.
class ColorSwatch : public QFrame {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);

    void setColor(const QColor& color);
    QColor color() const { return m_color; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
};

}  // namespace quillon
