// What the three shop calculator dialogs share: their number fields, the text the core
// reads from one, and their row of command buttons.
#pragma once

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include <array>
#include <initializer_list>
#include <string>

#include "platform/ui/Latin1.h"

namespace quillon {

// A result is written with at most 16 characters: a field shows any of them whole.
inline constexpr int kCalculatorFieldDigits = 16;

inline QLineEdit* calculatorField(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    const QFontMetrics metrics(edit->font());
    // The frame and the text margins take about two digits more.
    edit->setMinimumWidth(metrics.horizontalAdvance(QLatin1Char('0')) *
                          (kCalculatorFieldDigits + 2));
    return edit;
}

// The field's text as the core reads it: no more than `limit` characters of it.
inline std::string calculatorFieldText(const QLineEdit* edit, std::size_t limit)
{
    return toBytes(edit->text().left(static_cast<qsizetype>(limit)));
}

// Writes the core's texts into the fields where they differ from the texts it was given:
// a value the user gave stays as typed, to the last character.
template <std::size_t N>
void showCalculatorTexts(const std::array<QLineEdit*, N>& fields,
                         const std::array<std::string, N>& given,
                         const std::array<std::string, N>& results)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (results[i] != given[i])
            fields[i]->setText(fromBytes(results[i]));
    }
}

// The dialog's buttons in a row at the right, in the order given; the first one is the
// default, so Enter runs the calculation rather than closing the dialog.
inline QHBoxLayout* calculatorButtons(std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    bool first = true;
    for (QPushButton* button : buttons) {
        button->setAutoDefault(false);
        button->setDefault(first);
        first = false;
        row->addWidget(button);
    }
    return row;
}

}  // namespace quillon
