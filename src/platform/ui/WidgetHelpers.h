// Small widget-building helpers shared by the dialogs, and the framework's checks of the
// numbers typed into them.
#pragma once

#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include <initializer_list>
#include <optional>

#include "platform/Notifier.h"

namespace quillon {

// A titled box holding the widgets one below the other, packed at the top.
inline QGroupBox* groupColumn(QWidget* parent, const QString& title,
                              std::initializer_list<QWidget*> widgets)
{
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    for (auto* widget : widgets)
        layout->addWidget(widget);
    layout->addStretch();
    return box;
}

// The whole text of the field as a number in the range, or nothing ("nan" is none).
inline std::optional<double> numberIn(const QLineEdit* edit, double low, double high)
{
    bool ok = false;
    const double value = edit->text().trimmed().toDouble(&ok);
    if (!ok || !(value >= low && value <= high))
        return std::nullopt;
    return value;
}

// The framework's prompt for a field out of range; the field gets the focus again.
inline void refuse(Notifier& notifier, QLineEdit* edit, const QString& text)
{
    notifier.message(text.toStdString());
    edit->setFocus();
    edit->selectAll();
}

// The prompt for a real number field: "Please enter a number between LOW and HIGH."
inline void refuseNumber(Notifier& notifier, QLineEdit* edit, double low, double high)
{
    refuse(notifier, edit,
           QStringLiteral("Please enter a number between %1 and %2.")
               .arg(QString::number(low, 'g', 15), QString::number(high, 'g', 15)));
}

}  // namespace quillon
