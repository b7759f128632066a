// The eight most recently used files, kept in QuillonLT.ini in the working directory
// (section "Recent File List", keys File1..File8) rather than in a per-user registry.
#pragma once

#include <QString>
#include <QStringList>

namespace quillon {

class WorkDir;

class RecentFileList {
public:
    static constexpr int kSize = 8;

    explicit RecentFileList(const WorkDir& workDir);

    void load();
    void save() const;

    // Moves the file to the front (a file already listed is not listed twice).
    void add(const QString& path);
    void remove(const QString& path);
    const QStringList& files() const { return m_files; }

    QString iniPath() const { return m_iniPath; }

private:
    QString m_iniPath;
    QStringList m_files;
};

}  // namespace quillon
