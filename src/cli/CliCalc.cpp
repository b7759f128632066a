#include "cli/CliCalc.h"

#include <array>
#include <map>
#include <optional>
#include <ostream>

#include "calculators/ShopCalculators.h"

namespace quillon::cli {

namespace {

constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

int usage(std::ostream& err)
{
    err << "usage: quillonlt-cli " << kCalcUsage << '\n';
    return kExitUsage;
}

// "--name value" pairs of the names allowed; nothing on an unknown or repeated name or a
// name without a value.
std::optional<std::map<std::string, std::string>> options(
    const std::vector<std::string>& arguments, const std::vector<std::string>& names)
{
    std::map<std::string, std::string> values;
    for (std::size_t i = 1; i < arguments.size(); i += 2) {
        const std::string& name = arguments[i];
        bool known = false;
        for (const std::string& allowed : names)
            known = known || name == "--" + allowed;
        if (!known || i + 1 >= arguments.size() || values.count(name.substr(2)) != 0)
            return std::nullopt;
        values[name.substr(2)] = arguments[i + 1];
    }
    return values;
}

int refused(const std::string& message, std::ostream& err)
{
    err << message << '\n';
    return kExitRefused;
}

int bolt(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    const auto values = options(arguments, {"x", "y", "radius", "holes", "first"});
    if (!values)
        return usage(err);
    const auto field = [&](const char* name) {
        const auto found = values->find(name);
        return found == values->end() ? std::string() : found->second;
    };
    const BoltHoleResult result =
        boltHoleCircle({field("x"), field("y"), field("radius"), field("holes"), field("first")});
    if (result.message)
        return refused(*result.message, err);
    for (const std::string& line : result.lines)
        out << line << '\n';
    return 0;
}

// The triangle and the surface speed: fields named by options, results as "LABEL=text".
template <std::size_t Count, typename Calculate>
int fieldsToLines(const std::vector<std::string>& arguments, const std::vector<std::string>& names,
                  const std::array<const char*, Count>& labels, Calculate calculate,
                  std::ostream& out, std::ostream& err)
{
    const auto values = options(arguments, names);
    if (!values)
        return usage(err);
    std::array<std::string, Count> fields;
    for (std::size_t i = 0; i < Count; ++i) {
        const auto found = values->find(names[i]);
        if (found != values->end())
            fields[i] = found->second;
    }
    const auto result = calculate(fields);
    if (result.message)
        return refused(*result.message, err);
    for (std::size_t i = 0; i < Count; ++i)
        out << labels[i] << '=' << result.texts[i] << '\n';
    return 0;
}

int triangle(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    return fieldsToLines<kTriangleFields>(arguments, {"A", "B", "C", "a", "b"},
                                          {"A", "B", "C", "a", "b"}, rightAngleTriangle, out, err);
}

int speed(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    return fieldsToLines<kSurfaceSpeedFields>(arguments, {"rpm", "dia", "ips", "fpm"},
                                              {"RPM", "DIA", "IPS", "FPM"}, surfaceSpeed, out,
                                              err);
}

}  // namespace

int runCalc(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.empty())
        return usage(err);
    if (arguments[0] == "bolt")
        return bolt(arguments, out, err);
    if (arguments[0] == "triangle")
        return triangle(arguments, out, err);
    if (arguments[0] == "speed")
        return speed(arguments, out, err);
    return usage(err);
}

}  // namespace quillon::cli
