// File and folder prompts shown as the platform's file dialogs.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/FilePrompter.h"

namespace quillon {

// A stored filter ("Text (*.txt)|*.txt||") in the form QFileDialog takes.
QString toQtFilter(std::string_view filter);

class QtFilePrompter final : public FilePrompter {
public:
    explicit QtFilePrompter(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    std::optional<std::string> openFile(const FilePrompt& prompt) override;
    std::optional<std::string> saveFile(const FilePrompt& prompt) override;
    std::optional<std::string> chooseFolder(const FilePrompt& prompt) override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace quillon
