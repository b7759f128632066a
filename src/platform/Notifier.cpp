#include "platform/Notifier.h"

#include <ostream>

namespace quillon {

namespace {

NoticeAnswer cautiousAnswer(NoticeButtons buttons)
{
    switch (buttons) {
    case NoticeButtons::Ok:
        return NoticeAnswer::Ok;
    case NoticeButtons::OkCancel:
    case NoticeButtons::YesNoCancel:
        return NoticeAnswer::Cancel;
    case NoticeButtons::YesNo:
        return NoticeAnswer::No;
    }
    return NoticeAnswer::Cancel;
}

}  // namespace

void Notifier::message(std::string text)
{
    show({std::move(text), {}, NoticeIcon::Exclamation, NoticeButtons::Ok});
}

void Notifier::information(std::string text, std::string title)
{
    show({std::move(text), std::move(title), NoticeIcon::Information, NoticeButtons::Ok});
}

void Notifier::warning(std::string text, std::string title)
{
    show({std::move(text), std::move(title), NoticeIcon::Exclamation, NoticeButtons::Ok});
}

void Notifier::error(std::string text, std::string title)
{
    show({std::move(text), std::move(title), NoticeIcon::Error, NoticeButtons::Ok});
}

bool Notifier::askYesNo(std::string text, std::string title, NoticeIcon icon)
{
    return show({std::move(text), std::move(title), icon, NoticeButtons::YesNo}) ==
           NoticeAnswer::Yes;
}

NoticeAnswer Notifier::askYesNoCancel(std::string text, std::string title, NoticeIcon icon)
{
    return show({std::move(text), std::move(title), icon, NoticeButtons::YesNoCancel});
}

NoticeAnswer ScriptedNotifier::show(const Notice& notice)
{
    m_shown.push_back(notice);
    if (notice.buttons == NoticeButtons::Ok)
        return NoticeAnswer::Ok;
    if (m_answers.empty())
        return cautiousAnswer(notice.buttons);
    const NoticeAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void ScriptedNotifier::script(std::initializer_list<NoticeAnswer> answers)
{
    m_answers.insert(m_answers.end(), answers);
}

std::vector<std::string> ScriptedNotifier::texts() const
{
    std::vector<std::string> result;
    for (const auto& notice : m_shown)
        result.push_back(notice.text);
    return result;
}

NoticeAnswer StreamNotifier::show(const Notice& notice)
{
    if (!notice.title.empty())
        m_out << notice.title << ": ";
    m_out << notice.text << '\n';
    return cautiousAnswer(notice.buttons);
}

}  // namespace quillon
