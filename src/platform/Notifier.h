// How the core tells the user something or asks a question, without knowing of windows.
//
// The user interface shows a message box; tests script the answers and read back every
// text; the command-line tool writes to standard error.
#pragma once

#include <deque>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <vector>

namespace quillon {

enum class NoticeIcon { None, Information, Exclamation, Error, Question };
enum class NoticeButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class NoticeAnswer { Ok, Cancel, Yes, No };

struct Notice {
    std::string text;
    std::string title;  // empty: the program's name
    NoticeIcon icon = NoticeIcon::Exclamation;
    NoticeButtons buttons = NoticeButtons::Ok;
};

class Notifier {
public:
    virtual ~Notifier() = default;

    virtual NoticeAnswer show(const Notice& notice) = 0;

    // A plain message box as the framework shows one: the program's name as title and,
    // since no icon was asked for, the exclamation mark.
    void message(std::string text);
    void information(std::string text, std::string title = {});
    void warning(std::string text, std::string title = {});
    void error(std::string text, std::string title = {});
    bool askYesNo(std::string text, std::string title = {},
                  NoticeIcon icon = NoticeIcon::Question);
    NoticeAnswer askYesNoCancel(std::string text, std::string title = {},
                                NoticeIcon icon = NoticeIcon::Question);
};

// Records every notice and answers from a script; for tests.
class ScriptedNotifier final : public Notifier {
public:
    NoticeAnswer show(const Notice& notice) override;

    // The answers given to the next questions, in order. When the script runs out a
    // question is answered with the first button's "negative" choice (No, Cancel) and a
    // plain message with Ok.
    void script(std::initializer_list<NoticeAnswer> answers);

    const std::vector<Notice>& shown() const { return m_shown; }
    std::vector<std::string> texts() const;
    void clear() { m_shown.clear(); }

private:
    std::vector<Notice> m_shown;
    std::deque<NoticeAnswer> m_answers;
};

// Writes notices as lines to a stream; questions get the cautious answer (No, Cancel).
class StreamNotifier final : public Notifier {
public:
    explicit StreamNotifier(std::ostream& out) : m_out(out) {}
    NoticeAnswer show(const Notice& notice) override;

private:
    std::ostream& m_out;
};

}  // namespace quillon
