// Edits a program as a user would, in a random order: the input's text up to the first
// 0xFF byte is the file opened, the rest a script of editor commands (typing, deleting,
// splitting and joining lines, blocks, indenting, a utility's rewrite, undo, redo, save).
// Besides crashes it checks what the editor promises:
//   - every command that changes the text can be undone: undo gives back the text as it
//     was before the command, redo the text after it, however many steps back and forth;
//   - a command that records nothing changes nothing;
//   - a document whose text is not what was last saved says it is modified, so closing it
//     asks before anything is lost;
//   - what is saved is the text, and opens again to the same lines.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "editor/CLiDoc.h"
#include "editor/EditCommands.h"
#include "editor/NcLines.h"
#include "platform/Notifier.h"

namespace {

using namespace quillon;

using Lines = std::vector<std::string>;

Lines linesOf(const CLiDoc& doc)
{
    const std::size_t last = doc.lineCount() - 1;
    return doc.GetBlock(0, 0, last, doc.lineLength(last));
}

const std::string& programPath()
{
    static const std::string path = fuzz::makeFolder("edit") + "O1000.NC";
    return path;
}

struct Script {
    std::string_view bytes;
    std::size_t at = 0;

    bool done() const { return at >= bytes.size(); }
    std::uint8_t next() { return at < bytes.size() ? static_cast<std::uint8_t>(bytes[at++]) : 0; }
    // Pasted lines, cut where the text has LFs.
    std::string_view block()
    {
        const std::size_t length = std::min<std::size_t>(next() % 16, bytes.size() - at);
        const std::string_view taken = bytes.substr(at, length);
        at += length;
        return taken;
    }

    // Text as the editor types or pastes it into one line: an LF there is a new line,
    // which SplitLine and InsertBlock make.
    std::string text()
    {
        std::string taken(block());
        std::erase(taken, '\n');
        return taken;
    }
};

class Session {
public:
    explicit Session(std::string_view file)
    {
        fuzz::putFile(programPath(), file);
        ScriptedNotifier notifier;
        FUZZ_CHECK(m_doc.open(programPath(), notifier));
        m_history.push_back(linesOf(m_doc));
        m_saved = m_history.front();
    }

    void run(Script& script)
    {
        while (!script.done()) {
            const std::uint8_t op = script.next();
            switch (op % 13) {
            case 10:
                undo();
                break;
            case 11:
                redo();
                break;
            default:
                command(op % 13, script);
                break;
            }
            checkModified();
        }
        save();
    }

private:
    // A line of the document or one past the last, and a column of it or past its end:
    // the edits are asked about places that are not there too.
    std::size_t line(Script& script) { return script.next() % (m_doc.lineCount() + 1); }
    std::size_t column(Script& script, std::size_t line)
    {
        const std::size_t length = line < m_doc.lineCount() ? m_doc.lineLength(line) : 0;
        return script.next() % (length + 2);
    }

    void command(int kind, Script& script)
    {
        const std::size_t depthBefore = m_doc.undoDepth();
        if (kind == 9) {
            save();
            return;
        }
        {
            // A utility's run records one compact step over many lines.
            if (kind == 8) {
                const std::size_t first = line(script);
                const std::size_t last = first + script.next() % 4;
                UtilityEdit edit(m_doc, true);
                if (last < m_doc.lineCount())
                    edit.rewriteLines(first, last,
                                      [&](std::size_t, std::string_view text, std::string& out) {
                                          out = std::string(text) + "X";
                                          return text.size() % 2 == 0;
                                      });
            } else {
                EditGroup group(m_doc);
                edit(kind, script);
            }
        }
        // Every command ends what could be redone, whether it changed anything or not.
        m_history.resize(m_at + 1);
        const Lines now = linesOf(m_doc);
        if (m_doc.undoDepth() == depthBefore) {
            FUZZ_CHECK(now == m_history[m_at]);
            return;
        }
        FUZZ_CHECK(m_doc.undoDepth() == depthBefore + 1);
        m_history.push_back(now);
        ++m_at;
    }

    void edit(int kind, Script& script)
    {
        const std::size_t at = line(script);
        const std::size_t col = column(script, at);
        switch (kind) {
        case 0:
            if (const char typed = static_cast<char>(script.next()); typed != '\n')
                m_doc.InsertChar(at, col, typed);
            break;
        case 1:
            m_doc.DeleteChar(at, col);
            break;
        case 2:
            m_doc.InsertText(at, col, script.text());
            break;
        case 3:
            m_doc.DeleteText(at, col, script.next() % 8);
            break;
        case 4:
            m_doc.SplitLine(at, col);
            m_doc.InsertText(at + 1, 0, script.text());
            break;
        case 5:
            m_doc.JoinLines(at, col);
            break;
        case 6:
            m_doc.InsertBlock(at, col, splitNcLines(script.block()));
            break;
        default: {
            const std::size_t to = at + script.next() % 3;
            const std::size_t toColumn = column(script, to);
            if (kind == 7)
                m_doc.DeleteBlock(at, col, to, toColumn);
            else if (col % 2 == 0)
                m_doc.IndentLines(at, to, toColumn % 2 == 0);
            else
                m_doc.UnindentLines(at, to, toColumn % 2 == 0, 4);
            break;
        }
        }
    }

    void undo()
    {
        if (!m_doc.CanUndo()) {
            FUZZ_CHECK(m_at == 0);
            return;
        }
        FUZZ_CHECK(m_at > 0);
        m_doc.Undo();
        --m_at;
        FUZZ_CHECK(linesOf(m_doc) == m_history[m_at]);
    }

    void redo()
    {
        if (!m_doc.CanRedo()) {
            FUZZ_CHECK(m_at + 1 == m_history.size());
            return;
        }
        FUZZ_CHECK(m_at + 1 < m_history.size());
        m_doc.Redo();
        ++m_at;
        FUZZ_CHECK(linesOf(m_doc) == m_history[m_at]);
    }

    void save()
    {
        ScriptedNotifier notifier;
        FUZZ_CHECK(m_doc.save(programPath(), notifier));
        FUZZ_CHECK(!m_doc.isModified());
        m_saved = linesOf(m_doc);
        CLiDoc again;
        FUZZ_CHECK(again.open(programPath(), notifier));
        FUZZ_CHECK(linesOf(again) == m_saved);
    }

    void checkModified()
    {
        if (linesOf(m_doc) != m_saved)
            FUZZ_CHECK(m_doc.isModified());
    }

    CLiDoc m_doc;
    // The text after each undoable command, the opened text first; m_at is where the
    // document stands.
    std::vector<Lines> m_history;
    std::size_t m_at = 0;
    Lines m_saved;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t end = bytes.find('\xff');
    Session session(bytes.substr(0, end));
    Script script{end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1)};
    session.run(script);
    return 0;
}
