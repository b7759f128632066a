#include "backplot/CycleExpansion.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "backplot/CoordinateText.h"
#include "backplot/SegmentIntersection.h"
#include "nc/ModalState.h"
#include "nc/Words.h"
#include "platform/Notifier.h"

namespace quillon {

namespace {

// A cycle word nearer to zero than this was not given; a count read from a real number
// is rounded up by it (so D3 read as 2.9999999999 is still three divisions).
constexpr double kWordGiven = 0.0000001;
// G71 and G72 in one record (D for the depth of cut) retract by this much, and read a D
// above kDepthInUnits in units of 0.0001 (D1500 is 0.15).
constexpr double kOneRecordRetraction = 0.05;
constexpr double kDepthInUnits = 0.99;
constexpr double kDepthUnitsPerOne = 10000;
// A G73 is in one record when its D (the number of divisions) is above this.
constexpr double kOneRecordDivisions = 0.1;
// A G71 pass line runs from the start Z to this Z (signed by the shape's direction):
// beyond any part.
constexpr double kFarZ = 99999.99;

bool isShapeCycle(int g)
{
    return g >= 71 && g <= 73;
}

// The words of a cycle record. A reading sets the words the record holds and leaves the
// others as they were, so a second record adds to the first.
struct CycleWords {
    int p = 0;  // first block number of the shape
    int q = 0;  // last block number of the shape
    double d = 0;
    double f = 0;
    double i = 0;
    double k = 0;
    double r = 0;
    double u = 0;
    double w = 0;
    bool uMinus = false;  // the record's last U was written "U-"
};

void readCycleWords(std::string_view record, CycleWords& words)
{
    words.uMinus = false;
    forEachWord(record, [&](char letter, std::string_view rest) {
        switch (letter) {
        case 'D':
            words.d = addressValue(rest);
            break;
        case 'F':
            words.f = addressValue(rest);
            break;
        case 'I':
            words.i = addressValue(rest);
            break;
        case 'K':
            words.k = addressValue(rest);
            break;
        case 'R':
            words.r = addressValue(rest);
            break;
        case 'U':
            words.u = addressValue(rest);
            words.uMinus = !rest.empty() && rest.front() == '-';
            break;
        case 'W':
            words.w = addressValue(rest);
            break;
        case 'P':
            words.p = integerValue(rest);
            break;
        case 'Q':
            words.q = integerValue(rest);
            break;
        default:
            break;  // N and S are read by the control, not drawn
        }
        return true;
    });
}

bool isGiven(double word)
{
    return std::fabs(word) >= kWordGiven;
}

// The whole number in a real count word. Address values hold at most 14 characters, so
// the clamp only keeps the conversion defined.
long long wholePart(double value)
{
    return static_cast<long long>(std::trunc(std::clamp(value + kWordGiven, -1e15, 1e15)));
}

// The points of a shape: the start, then one point for every record of the shape file,
// each the one before with the record's X and Z (a = X, b = Z).
std::optional<std::vector<PlanePoint>> readShape(const std::string& path, PlanePoint start)
{
    RecordReader reader;
    if (!reader.open(path))
        return std::nullopt;
    std::vector<PlanePoint> points;
    PlanePoint at = start;
    while (const auto record = reader.next()) {
        forEachWord(*record, [&](char letter, std::string_view rest) {
            if (letter == 'X')
                at.a = decimalValue(rest);
            else if (letter == 'Z')
                at.b = decimalValue(rest);
            return true;
        });
        points.push_back(at);
    }
    return points;
}

// Where a pass line first meets the shape: its segments in order, each taken from its
// later point back to its earlier one.
std::optional<PlanePoint> firstCrossing(PlanePoint from, PlanePoint to,
                                        const std::vector<PlanePoint>& shape)
{
    for (std::size_t at = 1; at < shape.size(); ++at) {
        const SegmentIntersection meeting = intersectSegments(from, to, shape[at], shape[at - 1]);
        if (meeting.meeting == SegmentMeeting::Crossing)
            return meeting.point;
    }
    return std::nullopt;
}

std::string coordinates(std::string_view first, double a, std::string_view second, double b)
{
    return std::string(first) + coordinateText(a) + std::string(second) + coordinateText(b);
}

struct InputRecord {
    std::string_view line;
    BackplotRecord parsed;
};

// How a G71, G72 or G73 moves, from its one or two records.
struct CycleSetup {
    double depth = 0;         // G71, G72: depth of cut
    double xRelief = 0;       // G73
    double zRelief = 0;       // G73
    long long divisions = 0;  // G73
};

class CycleExpansion {
public:
    CycleExpansion(RecordReader& input, RecordWriter& output, const std::string& shapeFile,
                   const BackplotSettings& settings, Notifier& notifier)
        : m_input(input),
          m_output(output),
          m_shapeFile(shapeFile),
          m_lathe(settings.lathe),
          m_notifier(notifier)
    {
        m_modal.absolute = settings.absolute;
    }

    void run();

private:
    std::optional<InputRecord> nextRecord();
    std::optional<int> followRecord(std::string_view text);
    void finishing(std::string_view record);
    void shapeCycle(int g, std::string_view record);
    std::optional<CycleSetup> readSetup(const std::string& name, int g, std::string_view record,
                                        CycleWords& words);
    bool copyShape(const std::string& name, const CycleWords& words);
    void turning(const std::string& name, const std::vector<PlanePoint>& shape,
                 const CycleWords& words, double depth, double sign);
    void facing(const std::string& name, const std::vector<PlanePoint>& shape,
                const CycleWords& words, double depth, double sign);
    void patternRepeat(const std::string& name, const std::vector<PlanePoint>& shape,
                       const CycleWords& words, const CycleSetup& setup, double sign);
    template <typename PassLine, typename WritePass>
    bool roughingPasses(const std::string& name, const std::vector<PlanePoint>& shape, double& at,
                        double step, PassLine passLine, WritePass writePass);
    void passLimitReached(const std::string& name);
    void writeMove(const std::string& move);
    void writeReturnRapid(const std::string& move);
    std::string framed(const std::string& move) const;

    RecordReader& m_input;
    RecordWriter& m_output;
    const std::string& m_shapeFile;
    const bool m_lathe;
    // Of it only G90 / G91 counts: the cycles draw in the XZ plane whatever is selected.
    ModalState m_modal;
    Notifier& m_notifier;
    // The tool as the records so far leave it, in program units (X as a diameter in
    // Lathe mode).
    Position m_position{};
    // Index of the last record read: every record the expansion writes carries it.
    int m_index = 0;
};

// ---------------------------------------------------------------------------------------
// Main loop

void CycleExpansion::run()
{
    while (const auto record = nextRecord()) {
        const std::optional<int> g = followRecord(record->parsed.text);
        if (g == 70)
            finishing(record->line);
        else if (g && isShapeCycle(*g))
            shapeCycle(*g, record->line);
        else
            m_output.writeLine(record->line);
    }
}

std::optional<InputRecord> CycleExpansion::nextRecord()
{
    const auto line = m_input.next();
    if (!line)
        return std::nullopt;
    InputRecord record{*line, parseRecord(*line, m_index)};
    m_index = record.parsed.index;
    return record;
}

// Moves the tracked position by a record's words and gives its G number (the last G word).
// In Lathe mode the words after a G70 to G73 belong to the cycle and move nothing.
std::optional<int> CycleExpansion::followRecord(std::string_view text)
{
    const bool cycleParameters = holdsLatheCycle(text);
    bool referenceReturn = false;
    std::optional<int> g;
    forEachWord(text, [&](char letter, std::string_view rest) {
        if (letter == 'G') {
            g = integerValue(rest);
            if (!m_modal.applyG(*g) && *g == 28)
                referenceReturn = true;
            return !(m_lathe && *g >= 70 && *g <= 73);
        }
        // U, V and W are incremental axes (U a diameter like X); after a G28 they name the
        // axes to return, as the pre-pass reads them.
        const auto word = axisWord(letter, m_modal.absolute, referenceReturn);
        const bool increment = letter >= 'U' && letter <= 'W';
        if (word && !(increment && cycleParameters))
            moveAxis(m_position, *word, addressValue(rest));
        return true;
    });
    return g;
}

// ---------------------------------------------------------------------------------------
// G70: the stored shape of the last roughing cycle, its numbered blocks from P to Q

void CycleExpansion::finishing(std::string_view record)
{
    RecordReader shape;
    if (!shape.open(m_shapeFile)) {
        m_notifier.message("Could not find G70 blocks");
        return;
    }
    CycleWords words;
    readCycleWords(record, words);
    if (words.p == 0 || words.q == 0) {
        m_notifier.message("G70 start/stop sequence not specified");
        return;
    }
    while (const auto stored = shape.next()) {
        const BackplotRecord parsed = parseRecord(*stored, m_index);
        if (!parsed.hasComma) {
            m_notifier.message("Bad G70 blocks");
            return;
        }
        if (parsed.text.starts_with('N')) {
            const int number = integerValue(parsed.text.substr(1));
            if (number < words.p || number > words.q)
                continue;
        }
        m_output.writeLine(*stored);
    }
}

// ---------------------------------------------------------------------------------------
// G71, G72, G73: parameters, the shape copy, the shape list, then the cycle's moves

void CycleExpansion::shapeCycle(int g, std::string_view record)
{
    const std::string name = "G" + std::to_string(g);
    CycleWords words;
    const std::optional<CycleSetup> setup = readSetup(name, g, record, words);
    if (!setup)
        return;
    if (words.p == 0 || words.q == 0) {
        m_notifier.message(name + " start/stop sequence number not specified");
        return;
    }
    const bool copied = copyShape(name, words);
    const auto read =
        copied ? readShape(m_shapeFile, {m_position[0], m_position[2]}) : std::nullopt;
    if (!read) {
        m_notifier.message("Could not find " + name + " blocks");
        return;
    }
    std::vector<PlanePoint> shape = *read;
    if (shape.size() < 2)
        return;

    // The shape runs towards +Z unless its second point lies below the start; the Z
    // finishing allowance, the retraction and the Z steps take that direction's sign.
    const double sign = shape[1].b < m_position[2] ? -1.0 : 1.0;
    const double xAllowance = g == 71 ? 2 * words.u : words.u / 2;
    for (PlanePoint& point : shape) {
        point.a += xAllowance;
        point.b -= sign * words.w;
    }
    if (g == 71)
        turning(name, shape, words, setup->depth, sign);
    else if (g == 72)
        facing(name, shape, words, setup->depth, sign);
    else
        patternRepeat(name, shape, words, *setup, sign);
}

// Reads the cycle's record, and its second record in the two-record form; nothing when
// the cycle is dropped.
std::optional<CycleSetup> CycleExpansion::readSetup(const std::string& name, int g,
                                                    std::string_view record, CycleWords& words)
{
    readCycleWords(record, words);
    CycleSetup setup;
    if (g == 73 && words.d > kOneRecordDivisions) {
        setup.divisions = wholePart(words.d);
        setup.xRelief = words.i;
        setup.zRelief = words.k;
        return setup;
    }
    if (g != 73 && std::fabs(words.d) > kWordGiven) {
        words.r = kOneRecordRetraction;
        setup.depth = words.d > kDepthInUnits ? words.d / kDepthUnitsPerOne : words.d;
        return setup;
    }

    // Two records: depth of cut (or reliefs) and retraction first, the rest second.
    const bool given =
        isGiven(words.r) && (g == 72 || isGiven(words.u)) && (g == 71 || isGiven(words.w));
    if (!given) {
        m_notifier.message(name + " depth of cut and retraction not specified");
        return std::nullopt;
    }
    setup.depth = g == 72 ? words.w : words.u;
    setup.xRelief = words.u;
    setup.zRelief = words.w;
    setup.divisions = wholePart(words.r);
    words.u = 0;
    words.w = 0;
    const auto second = nextRecord();
    if (!second || second->line.find(name) == std::string_view::npos) {
        m_notifier.message(name + " second line not found");
        return std::nullopt;
    }
    readCycleWords(second->line, words);
    return setup;
}

// Moves the records after the cycle, up to its Q block, into the shape file. False when
// the shape file cannot be created (the records are consumed all the same).
bool CycleExpansion::copyShape(const std::string& name, const CycleWords& words)
{
    RecordWriter shape;
    const bool created = shape.create(m_shapeFile);
    while (const auto record = nextRecord()) {
        if (!record->parsed.hasComma) {
            m_notifier.message(name + " block definition error");
            break;
        }
        if (record->parsed.text.starts_with('N')) {
            const int number = integerValue(record->parsed.text.substr(1));
            if (number < words.p) {
                m_notifier.message(name + " P sequence error");
                break;
            }
            if (number > words.q) {
                m_notifier.message(name + " Q sequence error");
                break;
            }
            shape.writeLine(record->line);
            if (number == words.q)
                break;
            continue;
        }
        shape.writeLine(record->line);
    }
    return shape.close() && created;
}

// Steps the depth position `at` by `step` and draws a pass wherever the pass line meets the
// shape; `at` is left at the first position that missed. False when the pass limit
// stopped the cycle (`at` then stays at the last pass drawn).
template <typename PassLine, typename WritePass>
bool CycleExpansion::roughingPasses(const std::string& name, const std::vector<PlanePoint>& shape,
                                    double& at, double step, PassLine passLine,
                                    WritePass writePass)
{
    for (int passes = 0;; ++passes) {
        const double next = at + step;
        const auto [from, to] = passLine(next);
        const std::optional<PlanePoint> hit = firstCrossing(from, to, shape);
        if (!hit) {
            at = next;
            return true;
        }
        if (passes == kCyclePassLimit) {
            passLimitReached(name);
            return false;
        }
        at = next;
        writePass(*hit);
    }
}

void CycleExpansion::passLimitReached(const std::string& name)
{
    m_notifier.message(name + " stopped after " + std::to_string(kCyclePassLimit) + " passes");
}

// G71: passes along Z, stepping X inwards (outwards for boring, U written negative).
//
//   X0 ....(RAP1)
//   x  ----(N1)---->+ pass point on the shape
//                  / (N2) back off by the retraction
//      <-(RAP2)---+    and rapid back to Z0
void CycleExpansion::turning(const std::string& name, const std::vector<PlanePoint>& shape,
                             const CycleWords& words, double depth, double sign)
{
    const double inwards = words.uMinus ? -1.0 : 1.0;
    const double xRetraction = inwards * 2 * words.r;
    const double zAllowance = sign * words.w;
    const double zRetraction = sign * words.r;
    const double z0 = m_position[2];
    const double farZ = sign * kFarZ;
    const bool finished = roughingPasses(
        name, shape, m_position[0], -inwards * 2 * depth,
        [&](double x) {
            return std::pair{PlanePoint{x, z0}, PlanePoint{x, farZ}};
        },
        [&](PlanePoint hit) {
            writeMove("(RAP1)G00 X" + coordinateText(hit.a));
            writeMove(coordinates("(N1)G01 Z", hit.b, " F", words.f));
            writeMove(coordinates("(N2)G01 X", hit.a + xRetraction, " Z",
                                  hit.b - zAllowance - zRetraction));
            writeReturnRapid("G00 Z" + coordinateText(z0));
        });
    if (!finished)
        return;
    writeMove("(RAP3)G00 X" + coordinateText(shape.front().a));
    for (std::size_t at = 1; at < shape.size(); ++at)
        writeMove(coordinates("(N3)G01 X", shape[at].a, " Z", shape[at].b));
    writeMove("(RAP4)G00 Z" + coordinateText(z0));
}

// G72: passes along X towards the axis, stepping Z.
void CycleExpansion::facing(const std::string& name, const std::vector<PlanePoint>& shape,
                            const CycleWords& words, double depth, double sign)
{
    const double zRetraction = sign * words.r;
    const double x0 = m_position[0];
    const bool finished = roughingPasses(
        name, shape, m_position[2], sign * depth,
        [&](double z) {
            return std::pair{PlanePoint{x0, z}, PlanePoint{0, z}};
        },
        [&](PlanePoint hit) {
            writeMove("(RAP1)G00 Z" + coordinateText(hit.b));
            writeMove(coordinates("(N1)G01 X", hit.a, " F", words.f));
            writeMove(coordinates("(N2)G01 X", hit.a + words.r, " Z", hit.b - zRetraction));
            writeReturnRapid("G00 X" + coordinateText(x0));
        });
    if (!finished)
        return;
    writeMove("(RAP3)G00 Z" + coordinateText(shape.front().b));
    for (std::size_t at = 1; at < shape.size(); ++at)
        writeMove(coordinates("(N3)G01 X", shape[at].a, " Z", shape[at].b));
    writeMove("(RAP4)G00 X" + coordinateText(x0));
}

// G73: the whole shape again and again, offset by the reliefs and closing in on the
// finished shape in n equal steps (n + 1 passes, the last on the shape itself).
void CycleExpansion::patternRepeat(const std::string& name, const std::vector<PlanePoint>& shape,
                                   const CycleWords& words, const CycleSetup& setup, double sign)
{
    const long long n = setup.divisions;
    const double divisor = n == 0 ? 1.0 : static_cast<double>(n);
    const double xStep = 2 * setup.xRelief / divisor;
    const double zStep = sign * (setup.zRelief / divisor);
    const double z0 = m_position[2];
    int passes = 0;
    for (long long r = n; r >= 0; --r, ++passes) {
        if (passes == kCyclePassLimit) {
            passLimitReached(name);
            return;
        }
        const double x = static_cast<double>(r) * xStep;
        const double z = static_cast<double>(r) * zStep;
        writeMove("(RAP1)G00 Z" + coordinateText(z0 - z));
        writeMove("(RAP1)G00 X" + coordinateText(shape.front().a + x));
        for (std::size_t at = 1; at < shape.size(); ++at)
            writeMove(coordinates("(N1)G01 X", shape[at].a + x, " Z", shape[at].b - z) + " F" +
                      coordinateText(words.f));
    }
    writeMove("(RAP2)G00 Z" + coordinateText(z0));
}

// ---------------------------------------------------------------------------------------
// Writing the cycle's moves

void CycleExpansion::writeMove(const std::string& move)
{
    m_output.write(m_index, framed(move));
}

// The rapid back after a roughing pass carries its marker before the comma; the path
// builder reads the index as the number the record starts with.
void CycleExpansion::writeReturnRapid(const std::string& move)
{
    m_output.writeLine(std::to_string(m_index) + "(RAP2)," + framed(move));
}

// The moves are absolute positions: in an incremental program they are framed by G90 and
// a G91 that restores the program's mode for the records that follow.
std::string CycleExpansion::framed(const std::string& move) const
{
    return m_modal.absolute ? move : "G90 " + move + " G91";
}

}  // namespace

bool holdsLatheCycle(std::string_view text)
{
    bool found = false;
    forEachWord(text, [&](char letter, std::string_view rest) {
        if (letter == 'G') {
            const int g = integerValue(rest);
            found = g >= 70 && g <= 76;
        }
        return !found;
    });
    return found;
}

bool expandCannedCycles(const std::string& input, const std::string& output,
                        const std::string& shapeFile, const BackplotSettings& settings,
                        Notifier& notifier)
{
    RecordReader reader;
    if (!reader.open(input))
        return false;
    RecordWriter writer;
    if (!writer.create(output))
        return false;
    CycleExpansion(reader, writer, shapeFile, settings, notifier).run();
    writer.close();
    return true;
}

}  // namespace quillon
