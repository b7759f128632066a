#include "platform/ui/QtFilePrompter.h"

#include <QDir>
#include <QFileDialog>
#include <QStringList>

#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

QString startPath(const FilePrompt& prompt)
{
    const QString directory = fromBytes(prompt.directory);
    if (prompt.fileName.empty())
        return directory;
    return directory.isEmpty() ? fromBytes(prompt.fileName)
                               : QDir(directory).filePath(fromBytes(prompt.fileName));
}

std::optional<std::string> answer(const QString& chosen)
{
    if (chosen.isEmpty())
        return std::nullopt;
    return toBytes(QDir::toNativeSeparators(chosen));
}

}  // namespace

QString toQtFilter(std::string_view filter)
{
    QStringList entries;
    for (const auto& entry : parseFileFilter(filter)) {
        QStringList patterns;
        for (const auto& pattern : entry.patterns) {
            // "*.*" meant every file on Windows; here names need no dot.
            patterns << (pattern == "*.*" ? QStringLiteral("*") : fromBytes(pattern));
        }
        QString description = fromBytes(entry.description);
        // QFileDialog takes the patterns from the parentheses of the description.
        const auto open = description.indexOf('(');
        if (open >= 0)
            description.truncate(open);
        description = description.trimmed() + " (" + patterns.join(' ') + ')';
        entries << description;
    }
    return entries.join(";;");
}

std::optional<std::string> QtFilePrompter::openFile(const FilePrompt& prompt)
{
    return answer(QFileDialog::getOpenFileName(m_parent, fromBytes(prompt.title),
                                               startPath(prompt), toQtFilter(prompt.filter)));
}

std::optional<std::string> QtFilePrompter::saveFile(const FilePrompt& prompt)
{
    return answer(QFileDialog::getSaveFileName(m_parent, fromBytes(prompt.title),
                                               startPath(prompt), toQtFilter(prompt.filter)));
}

std::optional<std::string> QtFilePrompter::chooseFolder(const FilePrompt& prompt)
{
    return answer(QFileDialog::getExistingDirectory(m_parent, fromBytes(prompt.title),
                                                    fromBytes(prompt.directory)));
}

}  // namespace quillon
