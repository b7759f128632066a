// "Cycle time": every cycle of one part number of a shift graph's record file, and the
// totals, with the limits and the pieces per cycle to recalculate them with.
#pragma once

#include <QDialog>

#include <string>

#include "monitoring/CycleTimeAnalysis.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace quillon {

inline constexpr char kShiftCycleTimeTitle[] = "Cycle time";

class ShiftCycleTimeDialog : public QDialog {
    Q_OBJECT
public:
    ShiftCycleTimeDialog(const std::string& recordFile, const CycleTimeInputs& inputs,
                         QWidget* parent = nullptr);

    QComboBox* partNumbers() const { return m_parts; }
    QListWidget* details() const { return m_details; }
    QListWidget* summary() const { return m_summary; }
    QLineEdit* minimumEdit() const { return m_minimum; }
    QLineEdit* maximumEdit() const { return m_maximum; }
    QLineEdit* multiplierEdit() const { return m_multiplier; }
    QLabel* minimumLabel() const { return m_minimumLabel; }
    QLabel* maximumLabel() const { return m_maximumLabel; }
    QPushButton* recalculateButton() const { return m_recalculate; }
    const CycleTimeAnalysis& analysis() const { return m_analysis; }

    // The part chosen in the combo (the combo's signal calls it too).
    void selectPart(int index);
    void recalculate();

private:
    // The analysis' lists, edits and labels into the widgets.
    void showAnalysis();

    CycleTimeAnalysis m_analysis;
    QComboBox* m_parts;
    QListWidget* m_details;
    QListWidget* m_summary;
    QLineEdit* m_minimum;
    QLineEdit* m_maximum;
    QLineEdit* m_multiplier;
    QLabel* m_minimumLabel;
    QLabel* m_maximumLabel;
    QPushButton* m_recalculate;
};

}  // namespace quillon
