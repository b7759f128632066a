#include "platform/ui/QtNotifier.h"

#include <QMessageBox>

#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

QMessageBox::Icon toQtIcon(NoticeIcon icon)
{
    switch (icon) {
    case NoticeIcon::None:
        return QMessageBox::NoIcon;
    case NoticeIcon::Information:
        return QMessageBox::Information;
    case NoticeIcon::Exclamation:
        return QMessageBox::Warning;
    case NoticeIcon::Error:
        return QMessageBox::Critical;
    case NoticeIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQtButtons(NoticeButtons buttons)
{
    switch (buttons) {
    case NoticeButtons::Ok:
        return QMessageBox::Ok;
    case NoticeButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case NoticeButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case NoticeButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

NoticeAnswer fromQtButton(int button)
{
    switch (button) {
    case QMessageBox::Ok:
        return NoticeAnswer::Ok;
    case QMessageBox::Yes:
        return NoticeAnswer::Yes;
    case QMessageBox::No:
        return NoticeAnswer::No;
    default:
        return NoticeAnswer::Cancel;
    }
}

}  // namespace

NoticeAnswer QtNotifier::show(const Notice& notice)
{
    const QString title = notice.title.empty() ? QString(kProgramTitle) : fromBytes(notice.title);
    QMessageBox box(toQtIcon(notice.icon), title, fromBytes(notice.text),
                    toQtButtons(notice.buttons), m_parent);
    return fromQtButton(box.exec());
}

}  // namespace quillon
