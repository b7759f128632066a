#include "backplot/PrePass.h"

#include <algorithm>

#include "backplot/ArcMove.h"
#include "editor/CLiDoc.h"
#include "nc/Words.h"

namespace quillon {

namespace {

constexpr char kAxisLetters[] = {'X', 'Y', 'Z'};

// What one program line does, as far as the pre-pass cares.
struct LineMotion {
    Position position{};
    int movedAxes = 0;  // mask: X 1, Y 2, Z 4
    int arc = 0;        // 2 clockwise, 3 counter-clockwise, 0 none
    bool referenceReturn = false;
    ArcWords arcWords;
};

class PrePass {
public:
    PrePass(const BackplotSettings& settings, RecordWriter& out, RecordListener* listener)
        : m_settings(settings),
          m_out(out),
          m_listener(listener),
          m_builderAbsolute(settings.absolute)
    {
        m_modal.absolute = settings.absolute;
        m_modal.plane = planeOfMask(settings.plane);
    }

    bool turningCycles() const { return m_turningCycles; }

    void line(int index, std::string_view text)
    {
        // The records are read back in pieces of 4095 characters, and a piece may start
        // inside a comment: a line whose record may be longer is left for the cycle
        // expansion to judge. (The index and its comma take up to 11 characters.)
        m_turningCycles = m_turningCycles || text.size() + 16 >= kRecordLimit;
        const Position before = m_position;
        LineMotion motion;
        motion.position = m_position;
        forEachWord(text, [&](char letter, std::string_view rest) {
            apply(letter, rest, motion);
            return true;
        });
        m_position = motion.position;
        if (motion.movedAxes != 0 && motion.arc != 0) {
            writeArc(index, before, motion);
        } else if (motion.movedAxes != 0 && motion.referenceReturn) {
            writeRapid(index, motion);
        } else {
            m_out.write(index, text);
            if (m_listener)
                m_listener->copied(index, text);
            // The path builder reads the line's G90 or G91 as this pass did.
            m_builderAbsolute = m_modal.absolute;
        }
    }

private:
    void apply(char letter, std::string_view rest, LineMotion& motion)
    {
        switch (letter) {
        case 'G': {
            const int g = integerValue(rest);
            if (m_modal.applyG(g))
                break;
            switch (g) {
            case 2:
            case 3:
                motion.arc = g;
                break;
            case 28:
                motion.referenceReturn = true;
                break;
            case 70:
            case 71:
            case 72:
            case 73:
                m_turningCycles = true;
                break;
            default:
                break;
            }
            break;
        }
        case 'X':
        case 'Y':
        case 'Z':
        case 'U':
        case 'V':
        case 'W': {
            const AxisWord word = *axisWord(letter, m_modal.absolute, motion.referenceReturn);
            moveAxis(motion.position, word, programValue(word.axis, addressValue(rest)));
            motion.movedAxes |= 1 << word.axis;
            break;
        }
        case 'I':
            motion.arcWords.i = programValue(0, addressValue(rest));
            break;
        case 'J':
            motion.arcWords.j = addressValue(rest);
            break;
        case 'K':
            motion.arcWords.k = addressValue(rest);
            break;
        case 'R':
            motion.arcWords.r = addressValue(rest);
            break;
        default:
            break;
        }
    }

    double programValue(int axis, double value) const
    {
        return positionValue(axis, value, m_settings.lathe);
    }

    // X goes back into a record as the program wrote it.
    void appendAxis(int axis, double value)
    {
        m_out.append(kAxisLetters[axis]);
        m_made.values[axis] =
            m_out.appendCoordinate(axis == 0 && m_settings.lathe ? value * 2 : value);
        m_made.axes |= 1 << axis;
    }

    // "G00" or "G01", with a space after it when `spaced`.
    void appendMove(int move, bool spaced)
    {
        m_out.append(move == 0 ? std::string_view("G00 ", spaced ? 4 : 3)
                               : std::string_view("G01 ", spaced ? 4 : 3));
        m_made.move = static_cast<std::uint8_t>(move);
    }

    // A record the pass makes holds absolute values. Where the path builder would read it
    // as increments it starts with G90, and where the program goes on in G91 it ends with
    // it: a program that never leaves G90 gets plain records.
    void beginOwn(int index)
    {
        m_out.begin(index);
        m_made = {};
        m_made.index = index;
        if (!m_builderAbsolute) {
            m_out.append("G90 ");
            m_made.absoluteFirst = true;
        }
    }

    void endOwn()
    {
        if (!m_modal.absolute) {
            m_out.append(" G91");
            m_made.incrementalAfter = true;
        }
        m_out.end();
        m_builderAbsolute = m_modal.absolute;
        if (m_listener)
            m_listener->made(m_made);
    }

    void writeArc(int index, const Position& from, const LineMotion& motion)
    {
        // A lathe's X-Z frame is the mirror of the XZ plane: G02 runs counter-clockwise.
        const bool clockwise = (motion.arc == 2) != m_settings.lathe;
        const auto axes = planeAxes(m_modal.plane);
        arcMovePoints(from, motion.position, motion.arcWords, m_modal.plane, clockwise,
                      m_arcPoints);
        if (!axes || m_arcPoints.empty()) {
            // An arc that cannot be drawn still ends where it ends.
            beginOwn(index);
            appendMove(1, false);
            for (int axis = 0; axis < 3; ++axis) {
                m_out.append(' ');
                appendAxis(axis, motion.position[axis]);
            }
            endOwn();
            return;
        }
        const auto [first, second] = *axes;
        for (const Position& point : m_arcPoints) {
            beginOwn(index);
            appendMove(1, true);
            appendAxis(first, point[first]);
            m_out.append(' ');
            appendAxis(second, point[second]);
            endOwn();
        }
    }

    void writeRapid(int index, const LineMotion& motion)
    {
        beginOwn(index);
        appendMove(0, true);
        for (int axis = 0; axis < 3; ++axis) {
            if ((motion.movedAxes & (1 << axis)) == 0)
                continue;
            appendAxis(axis, motion.position[axis]);
            m_out.append(' ');
        }
        endOwn();
    }

    const BackplotSettings& m_settings;
    RecordWriter& m_out;
    RecordListener* m_listener;
    MadeRecord m_made;
    std::vector<Position> m_arcPoints;  // kept from arc to arc
    Position m_position{};
    ModalState m_modal;
    // Whether the path builder reads the next record's values as absolute.
    bool m_builderAbsolute;
    bool m_turningCycles = false;
};

}  // namespace

ProgramLines linesOf(const CLiDoc& doc)
{
    return {doc.lineCount(), [&doc](std::size_t line) { return doc.lineText(line); }};
}

PrePassResult writeBackplotPrePass(const ProgramLines& lines, const BackplotSettings& settings,
                                   const std::string& path, const std::string& copyPath,
                                   RecordListener* listener)
{
    RecordWriter out;
    if (!out.create(path, copyPath))
        return {};
    return runBackplotPrePass(lines, settings, out, listener);
}

PrePassResult runBackplotPrePass(const ProgramLines& lines, const BackplotSettings& settings,
                                 RecordWriter& out, RecordListener* listener)
{
    PrePassResult result;
    PrePass pass(settings, out, listener);
    for (std::size_t line = 0; line < lines.count; ++line)
        pass.line(static_cast<int>(line), lines.text(line));
    result.written = out.close();
    result.turningCycles = pass.turningCycles();
    return result;
}

}  // namespace quillon
