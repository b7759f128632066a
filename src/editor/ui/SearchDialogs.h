// The "Find" and "Replace" dialogs. Both read their choices from the search state all
// views share and write them back when a button other than Cancel ends them.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

namespace quillon {

struct SearchState;

class FindDialog : public QDialog {
    Q_OBJECT
public:
    // preset: the text the find field starts with.
    FindDialog(SearchState& search, const QString& preset, QWidget* parent = nullptr);

    QComboBox* findField() const { return m_find; }
    QCheckBox* wholeWordBox() const { return m_wholeWord; }
    QCheckBox* matchCaseBox() const { return m_matchCase; }
    QRadioButton* upButton() const { return m_up; }
    QPushButton* findNextButton() const { return m_findNext; }

    // "&Find Next": the text and options become the search's, replace mode goes off.
    void accept() override;

private:
    SearchState& m_search;
    QComboBox* m_find;
    QCheckBox* m_wholeWord;
    QCheckBox* m_matchCase;
    QRadioButton* m_up;
    QRadioButton* m_down;
    QPushButton* m_findNext;
};

class ReplaceDialog : public QDialog {
    Q_OBJECT
public:
    // The dialog opened by the command, or shown again at each match to ask.
    enum class Step { Start, Ask };
    enum class Choice { Cancel, FindNext, Replace, ReplaceAll };

    // preset: the find field's text; inSelection: "Replace in" starts at "&Selection".
    ReplaceDialog(SearchState& search, Step step, const QString& preset, bool inSelection,
                  QWidget* parent = nullptr);

    QComboBox* findField() const { return m_find; }
    QComboBox* replaceField() const { return m_replace; }
    QCheckBox* wholeWordBox() const { return m_wholeWord; }
    QCheckBox* matchCaseBox() const { return m_matchCase; }
    QRadioButton* selectionButton() const { return m_selection; }
    QRadioButton* wholeFileButton() const { return m_wholeFile; }
    QPushButton* findNextButton() const { return m_findNext; }
    QPushButton* replaceButton() const { return m_replaceOne; }
    QPushButton* replaceAllButton() const { return m_replaceAll; }

    Choice choice() const { return m_choice; }
    // Replace all in the selection rather than the whole file.
    bool inSelection() const;

private:
    void choose(Choice choice);
    void updateButtons();

    SearchState& m_search;
    Step m_step;
    Choice m_choice = Choice::Cancel;
    QComboBox* m_find;
    QComboBox* m_replace;
    QCheckBox* m_wholeWord;
    QCheckBox* m_matchCase;
    QRadioButton* m_selection;
    QRadioButton* m_wholeFile;
    QPushButton* m_findNext;
    QPushButton* m_replaceOne;
    QPushButton* m_replaceAll;
};

}  // namespace quillon
