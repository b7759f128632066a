// "Machine list Title": the text of a main or sub title row of the monitoring views' list.
#pragma once

#include <QDialog>

#include <optional>
#include <string>

class QLineEdit;

namespace quillon {

inline constexpr char kListTitleDialogTitle[] = "Machine list Title";
inline constexpr char kMainTitlePrompt[] = "Type in main title";
inline constexpr char kSubTitlePrompt[] = "Type in sub title";

class ListTitleDialog : public QDialog {
    Q_OBJECT
public:
    explicit ListTitleDialog(const QString& prompt, QWidget* parent = nullptr);

    QLineEdit* titleEdit() const { return m_title; }
    // The typed title; nothing when it is empty.
    std::optional<std::string> title() const;

private:
    QLineEdit* m_title;
};

// Shows the dialog; the title on OK, nothing on Cancel or when nothing was typed.
std::optional<std::string> askListTitle(const QString& prompt, QWidget* parent);

}  // namespace quillon
