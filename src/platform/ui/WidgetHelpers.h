// Small widget-building helpers shared by the dialogs.
#pragma once

#include <QGroupBox>
#include <QVBoxLayout>

#include <initializer_list>

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

}  // namespace quillon
