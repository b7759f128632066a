#include "app/ui/RecentFileList.h"

#include <QSettings>

#include "platform/WorkDir.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

constexpr char kIniFile[] = "QuillonLT.ini";
constexpr char kSection[] = "Recent File List";

QString key(int index)
{
    return QStringLiteral("File%1").arg(index + 1);
}

}  // namespace

RecentFileList::RecentFileList(const WorkDir& workDir)
    : m_iniPath(fromBytes(workDir.file(kIniFile)))
{
}

void RecentFileList::load()
{
    QSettings ini(m_iniPath, QSettings::IniFormat);
    ini.beginGroup(kSection);
    m_files.clear();
    for (int i = 0; i < kSize; ++i) {
        const QString file = ini.value(key(i)).toString();
        if (!file.isEmpty() && !m_files.contains(file))
            m_files << file;
    }
}

void RecentFileList::save() const
{
    QSettings ini(m_iniPath, QSettings::IniFormat);
    ini.beginGroup(kSection);
    for (int i = 0; i < kSize; ++i) {
        if (i < m_files.size())
            ini.setValue(key(i), m_files[i]);
        else
            ini.remove(key(i));
    }
}

void RecentFileList::add(const QString& path)
{
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > kSize)
        m_files.removeLast();
}

void RecentFileList::remove(const QString& path)
{
    m_files.removeAll(path);
}

}  // namespace quillon
