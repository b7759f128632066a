#include "backplot/PathBuilder.h"

#include <optional>

#include "backplot/ArcMove.h"
#include "backplot/CycleExpansion.h"
#include "nc/Words.h"
#include "platform/Notifier.h"

namespace quillon {

namespace {

enum class MoveClass { None, Rapid, Feed, ToolChange };
enum class Motion { Unset, Straight, Clockwise, CounterClockwise };

// At most this many digits after T make the tool number.
constexpr std::size_t kToolDigits = 4;

int toolNumber(std::string_view afterLetter)
{
    int number = 0;
    for (std::size_t i = 0; i < afterLetter.size() && i < kToolDigits && isDigit(afterLetter[i]);
         ++i)
        number = number * 10 + (afterLetter[i] - '0');
    return number;
}

// The tool number of a table entry "T<number>"; nothing for other entries.
std::optional<int> entryTool(const std::string& entry)
{
    if (entry.empty() || entry.front() != 'T')
        return std::nullopt;
    return integerValue(std::string_view(entry).substr(1));
}

}  // namespace

class PlotPathBuilder::Impl {
public:
    Impl(const BackplotSettings& settings, PlotBuild& build, Notifier& notifier)
        : m_settings(settings), m_build(build), m_notifier(notifier)
    {
        m_modal.absolute = settings.absolute;
        m_modal.plane = planeOfMask(settings.plane);
        m_build.tools = {};
        m_build.tools[0] = "G00";
    }

    // False once the build has to stop.
    bool record(std::string_view line)
    {
        const BackplotRecord record = parseRecord(line, m_index);
        return textRecord(record.index, record.text);
    }

    bool textRecord(int index, std::string_view text)
    {
        const Position before = start(index, text);
        forEachWord(text, [&](char letter, std::string_view rest) {
            apply(letter, rest);
            return true;
        });
        return finish(before);
    }

    // As its text would be read: G90, the move (G00 or G01), the axes, G91. Written out
    // rather than through apply(): the records of arcs run to millions.
    bool madeRecord(const MadeRecord& made)
    {
        const Position before = start(made.index, {});
        if (made.absoluteFirst)
            m_modal.absolute = true;
        m_class = made.move == 0 ? MoveClass::Rapid : MoveClass::Feed;
        m_motion = Motion::Straight;
        for (int axis = 0; axis < 3; ++axis) {
            if ((made.axes & (1 << axis)) == 0)
                continue;
            const double value = programValue(axis, made.values[axis]);
            if (axis == 2 && m_drilling) {
                m_holeDepth = value;
                continue;
            }
            moveAxis(m_position, {axis, m_modal.absolute}, value);
            m_moved |= 1 << axis;
        }
        if (made.incrementalAfter)
            m_modal.absolute = false;
        return finish(before);
    }

private:
    // The record's own state cleared; the position it starts from.
    Position start(int index, std::string_view text)
    {
        m_index = index;
        m_arc = {};
        m_moved = 0;
        m_class = MoveClass::None;
        m_referenceReturn = false;
        m_text = text;
        m_incrementWords.reset();
        return m_position;
    }

    bool finish(const Position& before)
    {
        if (!takeMoveClass())
            return false;
        if (m_moved == 0)
            return true;
        if (m_reference && m_reference->slot != m_slot) {
            PlotPoint gap = *m_reference;
            gap.gap = 1;
            m_build.points.push_back(gap);
            gap.gap = 0;
            gap.slot = m_slot;
            m_build.points.push_back(gap);
        }
        if (m_motion == Motion::Clockwise || m_motion == Motion::CounterClockwise) {
            // A lathe's X-Z frame is the mirror of the XZ plane; the modal code stays.
            const bool clockwise = (m_motion == Motion::Clockwise) != m_settings.lathe;
            arcMovePoints(before, m_position, m_arc, m_modal.plane, clockwise, m_arcPoints);
            if (m_arcPoints.empty())
                m_arcPoints.push_back(m_position);  // not drawable as an arc: straight to its end
            for (const Position& point : m_arcPoints)
                add(point, m_slot, 0);
            m_reference = m_build.points.back();
            return true;
        }
        add(m_position, m_slot, 0);
        m_reference = m_build.points.back();
        if (m_drilling) {
            Position stroke = m_position;
            stroke[2] = m_drillStart;
            add(stroke, m_drillSlot, 0);
            stroke[2] = m_holeDepth;
            add(stroke, m_drillSlot, 0);
            add(stroke, m_drillSlot, 1);
        }
        return true;
    }

    void apply(char letter, std::string_view rest)
    {
        switch (letter) {
        case 'G':
            applyG(integerValue(rest));
            break;
        case 'T':
            m_tool = toolNumber(rest);
            m_class = MoveClass::ToolChange;
            break;
        case 'X':
        case 'Y':
        case 'Z':
        case 'U':
        case 'V':
        case 'W':
        case 'I':
        case 'J':
        case 'K':
        case 'R':
            applyNumber(letter, addressValue(rest));
            break;
        default:
            break;
        }
    }

    void applyNumber(char letter, double number)
    {
        switch (letter) {
        case 'X':
        case 'Y':
        case 'Z':
        case 'U':
        case 'V':
        case 'W': {
            const bool increment = letter >= 'U' && letter <= 'W';
            // Looked up only for records that have such a word.
            if (increment && !m_incrementWords)
                m_incrementWords = !holdsLatheCycle(m_text);
            if (increment && !*m_incrementWords)
                break;
            const AxisWord word = *axisWord(letter, m_modal.absolute, m_referenceReturn);
            const double value = programValue(word.axis, number);
            if (!increment && word.axis == 2 && m_drilling) {
                m_holeDepth = value;
                break;
            }
            moveAxis(m_position, word, value);
            m_moved |= 1 << word.axis;
            break;
        }
        case 'I':
            m_arc.i = programValue(0, number);
            break;
        case 'J':
            m_arc.j = number;
            break;
        case 'K':
            m_arc.k = number;
            break;
        case 'R':
            m_arc.r = number;
            break;
        default:
            break;
        }
    }

    void applyG(int g)
    {
        switch (g) {
        case 0:
        case 28:
            m_class = MoveClass::Rapid;
            m_motion = Motion::Straight;
            m_referenceReturn = m_referenceReturn || g == 28;
            break;
        case 1:
        case 83:
        case 84:
        case 92:
            m_class = MoveClass::Feed;
            m_motion = Motion::Straight;
            break;
        case 2:
            m_class = MoveClass::Feed;
            m_motion = Motion::Clockwise;
            break;
        case 3:
            m_class = MoveClass::Feed;
            m_motion = Motion::CounterClockwise;
            break;
        case 80:
            if (m_toolSeen) {
                m_class = MoveClass::Feed;
                m_motion = Motion::Straight;
                m_drilling = false;
            }
            break;
        case 81:
        case 82:
            m_class = MoveClass::Rapid;
            m_motion = Motion::Straight;
            m_drilling = true;
            m_drillStart = m_position[2];
            m_drillSlot = m_slot;
            break;
        default:
            m_modal.applyG(g);
            break;
        }
    }

    // False when a seventeenth tool stops the build.
    bool takeMoveClass()
    {
        switch (m_class) {
        case MoveClass::None:
            break;
        case MoveClass::Rapid:
            m_slot = 0;
            break;
        case MoveClass::Feed:
            if (!m_toolSeen) {
                m_slot = 1;
                m_build.tools[1] = "T01";
            } else {
                m_slot = m_toolSlot;
            }
            break;
        case MoveClass::ToolChange: {
            m_toolSeen = true;
            const auto slot = slotOfTool(m_tool);
            if (!slot) {
                m_notifier.message(std::string(kTooManyTools));
                return false;
            }
            m_toolSlot = *slot;
            break;
        }
        }
        return true;
    }

    std::optional<int> slotOfTool(int tool)
    {
        for (std::size_t slot = 0; slot < kToolSlots; ++slot) {
            if (entryTool(m_build.tools[slot]) == tool)
                return static_cast<int>(slot);
        }
        for (std::size_t slot = 0; slot < kToolSlots; ++slot) {
            if (m_build.tools[slot].empty()) {
                m_build.tools[slot] = "T" + std::to_string(tool);
                return static_cast<int>(slot);
            }
        }
        return std::nullopt;
    }

    double programValue(int axis, double value) const
    {
        return positionValue(axis, value, m_settings.lathe);
    }

    void add(const Position& at, int slot, int gap)
    {
        m_build.points.push_back({m_index, gap, slot, static_cast<float>(at[0]),
                                  static_cast<float>(at[1]), static_cast<float>(at[2])});
    }

    const BackplotSettings& m_settings;
    PlotBuild& m_build;
    Notifier& m_notifier;
    ModalState m_modal;
    int m_index = 0;
    Position m_position{};
    Motion m_motion = Motion::Unset;
    int m_slot = 0;
    bool m_toolSeen = false;
    int m_toolSlot = 1;
    bool m_drilling = false;
    double m_drillStart = 0;
    double m_holeDepth = 0;
    int m_drillSlot = 0;
    std::optional<PlotPoint> m_reference;
    std::vector<Position> m_arcPoints;  // kept from arc to arc
    // This record's.
    ArcWords m_arc;
    int m_moved = 0;
    MoveClass m_class = MoveClass::None;
    int m_tool = 0;
    bool m_referenceReturn = false;
    std::string_view m_text;
    std::optional<bool> m_incrementWords;
};

PlotPathBuilder::PlotPathBuilder(const BackplotSettings& settings, PlotBuild& build,
                                 Notifier& notifier)
    : m_impl(std::make_unique<Impl>(settings, build, notifier))
{
}

PlotPathBuilder::~PlotPathBuilder() = default;

bool PlotPathBuilder::record(std::string_view line)
{
    return m_impl->record(line);
}

bool PlotPathBuilder::textRecord(int index, std::string_view text)
{
    return m_impl->textRecord(index, text);
}

bool PlotPathBuilder::madeRecord(const MadeRecord& record)
{
    return m_impl->madeRecord(record);
}

bool buildPlotPath(const std::string& path, const BackplotSettings& settings, PlotBuild& build,
                   Notifier& notifier)
{
    RecordReader in;
    if (!in.open(path))
        return false;
    // Room for a point a record (records run to 20 bytes and more): untouched room costs
    // no memory, and millions of points are not copied while the list grows.
    build.points.reserve(build.points.size() + in.size() / 16);
    PlotPathBuilder builder(settings, build, notifier);
    while (const auto line = in.next()) {
        if (!builder.record(*line))
            break;
    }
    return true;
}

}  // namespace quillon
