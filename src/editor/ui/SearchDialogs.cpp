#include "editor/ui/SearchDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor/Search.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

// An editable drop-down of earlier entries, newest first, starting with the preset.
QComboBox* historyField(QWidget* parent, const SearchHistory& history, const QString& preset)
{
    auto* field = new QComboBox(parent);
    field->setEditable(true);
    field->setInsertPolicy(QComboBox::NoInsert);
    field->setMinimumContentsLength(28);
    field->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    for (const std::string& entry : history.entries())
        field->addItem(fromBytes(entry));
    field->setEditText(preset);
    field->lineEdit()->selectAll();
    return field;
}

QString fieldText(const QComboBox* field)
{
    return field->currentText();
}

}  // namespace

FindDialog::FindDialog(SearchState& search, const QString& preset, QWidget* parent)
    : QDialog(parent), m_search(search)
{
    setWindowTitle("Find");
    m_find = historyField(this, search.findHistory, preset);
    auto* label = new QLabel("Fi&nd what:", this);
    label->setBuddy(m_find);

    m_wholeWord = new QCheckBox("Match &whole word only", this);
    m_wholeWord->setChecked(search.findWholeWord);
    m_matchCase = new QCheckBox("Match &case", this);
    m_matchCase->setChecked(search.findMatchCase);

    auto* direction = new QGroupBox("Direction", this);
    auto* directionLayout = new QHBoxLayout(direction);
    m_up = new QRadioButton("&Up", direction);
    m_down = new QRadioButton("&Down", direction);
    directionLayout->addWidget(m_up);
    directionLayout->addWidget(m_down);
    (search.findUp ? m_up : m_down)->setChecked(true);

    m_findNext = new QPushButton("&Find Next", this);
    m_findNext->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    connect(m_findNext, &QPushButton::clicked, this, &FindDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &FindDialog::reject);
    auto enable = [this] { m_findNext->setEnabled(!fieldText(m_find).isEmpty()); };
    connect(m_find, &QComboBox::editTextChanged, this, enable);
    enable();

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_find, 0, 1, 1, 2);
    auto* boxes = new QVBoxLayout;
    boxes->addWidget(m_wholeWord);
    boxes->addWidget(m_matchCase);
    boxes->addStretch();
    layout->addLayout(boxes, 1, 0, 1, 2);
    layout->addWidget(direction, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_findNext);
    buttons->addWidget(cancel);
    buttons->addStretch();
    layout->addLayout(buttons, 0, 3, 2, 1);
    setFixedSize(sizeHint());
}

void FindDialog::accept()
{
    const QString text = fieldText(m_find);
    if (text.isEmpty())
        return;
    m_search.findWholeWord = m_wholeWord->isChecked();
    m_search.findMatchCase = m_matchCase->isChecked();
    m_search.findUp = m_up->isChecked();
    m_search.storeFind(toBytes(text));
    QDialog::accept();
}

ReplaceDialog::ReplaceDialog(SearchState& search, Step step, const QString& preset,
                             bool inSelection, QWidget* parent)
    : QDialog(parent), m_search(search), m_step(step)
{
    setWindowTitle("Replace");
    m_find = historyField(this, search.replaceFindHistory, preset);
    m_replace = historyField(this, search.replaceWithHistory, fromBytes(search.replaceText));
    auto* findLabel = new QLabel("Fi&nd what:", this);
    findLabel->setBuddy(m_find);
    auto* replaceLabel = new QLabel("Re&place with:", this);
    replaceLabel->setBuddy(m_replace);

    m_wholeWord = new QCheckBox("&Whole word only", this);
    m_wholeWord->setChecked(search.replaceWholeWord);
    m_matchCase = new QCheckBox("&Case", this);
    m_matchCase->setChecked(search.replaceMatchCase);

    auto* scope = new QGroupBox("Replace in", this);
    auto* scopeLayout = new QVBoxLayout(scope);
    m_selection = new QRadioButton("&Selection", scope);
    m_wholeFile = new QRadioButton("Wh&ole file", scope);
    scopeLayout->addWidget(m_selection);
    scopeLayout->addWidget(m_wholeFile);
    (inSelection ? m_selection : m_wholeFile)->setChecked(true);
    // At a match, Replace All always means the whole file.
    scope->setEnabled(step == Step::Start);

    m_findNext = new QPushButton("&Find Next", this);
    m_replaceOne = new QPushButton("&Replace", this);
    m_replaceAll = new QPushButton("Replace &All", this);
    auto* cancel = new QPushButton("Cancel", this);
    (step == Step::Ask ? m_replaceOne : m_findNext)->setDefault(true);
    connect(m_findNext, &QPushButton::clicked, this, [this] { choose(Choice::FindNext); });
    connect(m_replaceOne, &QPushButton::clicked, this, [this] { choose(Choice::Replace); });
    connect(m_replaceAll, &QPushButton::clicked, this, [this] { choose(Choice::ReplaceAll); });
    connect(cancel, &QPushButton::clicked, this, &ReplaceDialog::reject);
    connect(m_find, &QComboBox::editTextChanged, this, &ReplaceDialog::updateButtons);
    updateButtons();

    auto* layout = new QGridLayout(this);
    layout->addWidget(findLabel, 0, 0);
    layout->addWidget(m_find, 0, 1, 1, 2);
    layout->addWidget(replaceLabel, 1, 0);
    layout->addWidget(m_replace, 1, 1, 1, 2);
    auto* boxes = new QVBoxLayout;
    boxes->addWidget(m_wholeWord);
    boxes->addWidget(m_matchCase);
    boxes->addStretch();
    layout->addLayout(boxes, 2, 0, 1, 2);
    layout->addWidget(scope, 2, 2);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_findNext);
    buttons->addWidget(m_replaceOne);
    buttons->addWidget(m_replaceAll);
    buttons->addWidget(cancel);
    buttons->addStretch();
    layout->addLayout(buttons, 0, 3, 3, 1);
    setFixedSize(sizeHint());
}

bool ReplaceDialog::inSelection() const
{
    return m_step == Step::Start && m_selection->isChecked();
}

void ReplaceDialog::updateButtons()
{
    const bool hasText = !fieldText(m_find).isEmpty();
    m_findNext->setEnabled(hasText);
    m_replaceAll->setEnabled(hasText);
    // Replacing one occurrence needs one found: only at a match.
    m_replaceOne->setEnabled(hasText && m_step == Step::Ask);
}

void ReplaceDialog::choose(Choice choice)
{
    if (fieldText(m_find).isEmpty())
        return;
    m_search.replaceWholeWord = m_wholeWord->isChecked();
    m_search.replaceMatchCase = m_matchCase->isChecked();
    if (m_step == Step::Start)
        m_search.replaceInSelection = m_selection->isChecked();
    m_search.storeReplace(toBytes(fieldText(m_find)), toBytes(fieldText(m_replace)));
    m_choice = choice;
    accept();
}

}  // namespace quillon
