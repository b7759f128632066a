#include "cli/CliLineTools.h"

#include <cmath>
#include <functional>
#include <optional>
#include <ostream>
#include <streambuf>

#include "cli/CliDocumentRun.h"
#include "cli/CliPort.h"
#include "editor/CLiDoc.h"
#include "editor/EditCommands.h"
#include "utilities/LineTools.h"

namespace quillon::cli {

namespace {

constexpr int kExitUsage = 2;

// The bounds the Modify dialog sets.
constexpr double kModifyValueLimit = 1000000;
constexpr std::size_t kModifyTextLimit = 20;

int usageError(std::ostream& err, const std::string& reason, const char* usage)
{
    if (!reason.empty())
        err << reason << '\n';
    err << "usage: quillonlt-cli " << usage << '\n';
    return kExitUsage;
}

using LineUtility =
    std::function<void(CLiDoc& doc, UtilityEdit& edit, std::size_t first, std::size_t last)>;

// Runs the utility over every line of the program, recorded as the editor records it.
int runOverProgram(const DocumentIo& io, std::ostream& out, std::ostream& err,
                   const LineUtility& utility)
{
    return runOnDocument(io, out, err, [&utility](CLiDoc& doc, Notifier&) {
        UtilityEdit edit(doc, true);
        utility(doc, edit, 0, doc.lineCount() - 1);
        return true;
    });
}

// The arguments of a command that takes nothing but the program's.
std::optional<DocumentIo> documentArguments(const std::vector<std::string>& arguments,
                                            std::ostream& err)
{
    DocumentIo io;
    for (const auto& argument : arguments) {
        if (!takeDocumentArgument(argument, io)) {
            err << "unexpected argument: " << argument << '\n';
            return std::nullopt;
        }
    }
    return io;
}

// "FROM:TO", each side empty or one character: the separator is the second character
// when that is a ":", else the first.
bool parseRotateRow(const std::string& text, char& from, char& to)
{
    const std::size_t separator = text.size() >= 2 && text[1] == ':' ? 1 : 0;
    if (text.empty() || text[separator] != ':' || text.size() > separator + 2)
        return false;
    from = separator == 1 ? text[0] : 0;
    to = text.size() == separator + 2 ? text[separator + 1] : 0;
    return true;
}

// Swallows the program that runOnDocument writes: minmax prints its box instead.
class DiscardBuffer final : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

}  // namespace

int runCompress(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    const auto io = documentArguments(arguments, err);
    if (!io)
        return usageError(err, {}, kCompressUsage);
    return runOverProgram(*io, out, err, compressLines);
}

int runExpand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    const auto io = documentArguments(arguments, err);
    if (!io)
        return usageError(err, {}, kExpandUsage);
    return runOverProgram(*io, out, err, expandLines);
}

int runModify(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    using Operation = ModifySettings::Operation;
    using Decimals = ModifySettings::Decimals;
    ModifySettings settings;
    std::optional<Operation> operation;
    bool haveAddress = false;
    DocumentIo io;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        std::optional<Operation> named;
        if (argument == "--add")
            named = Operation::Add;
        else if (argument == "--multiply")
            named = Operation::Multiply;
        else if (argument == "--divide")
            named = Operation::Divide;
        if (named && hasValue) {
            if (operation)
                return usageError(err, "one of --add, --multiply and --divide", kModifyUsage);
            const auto value = decimalNumber(arguments[++i]);
            if (!value || std::abs(*value) > kModifyValueLimit)
                return usageError(err, argument + " takes a number from -1000000 to 1000000",
                                  kModifyUsage);
            operation = *named;
            settings.value = *value;
        } else if (argument == "--address" && hasValue) {
            settings.address = arguments[++i];
            if (settings.address.empty() || settings.address.size() > kModifyTextLimit)
                return usageError(err, "--address takes 1 to 20 characters", kModifyUsage);
            haveAddress = true;
        } else if (argument == "--exclude" && hasValue) {
            settings.exclude = arguments[++i];
            if (settings.exclude.size() > kModifyTextLimit)
                return usageError(err, "--exclude takes at most 20 characters", kModifyUsage);
        } else if (argument == "--decimals" && hasValue) {
            const std::string& decimals = arguments[++i];
            if (decimals == "4")
                settings.decimals = Decimals::Four;
            else if (decimals == "3")
                settings.decimals = Decimals::Three;
            else if (decimals == "0")
                settings.decimals = Decimals::None;
            else
                return usageError(err, "--decimals takes 4, 3 or 0", kModifyUsage);
        } else if (!takeDocumentArgument(argument, io)) {
            return usageError(err, "unexpected argument: " + argument, kModifyUsage);
        }
    }
    if (!haveAddress || !operation)
        return usageError(err, {}, kModifyUsage);
    settings.operation = *operation;
    return runOverProgram(
        io, out, err,
        [&settings](CLiDoc& doc, UtilityEdit& edit, std::size_t first, std::size_t last) {
            modifyLines(doc, edit, first, last, settings);
        });
}

int runRotate(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    RotateSettings settings;
    std::size_t rows = 0;
    DocumentIo io;
    for (const auto& argument : arguments) {
        if (argument.find(':') != std::string::npos) {
            if (rows == settings.from.size())
                return usageError(err, "at most three FROM:TO rows", kRotateUsage);
            if (!parseRotateRow(argument, settings.from[rows], settings.to[rows]))
                return usageError(err, "a row is FROM:TO, each one character or none",
                                  kRotateUsage);
            ++rows;
        } else if (!takeDocumentArgument(argument, io)) {
            return usageError(err, "unexpected argument: " + argument, kRotateUsage);
        }
    }
    // Rows given replace the default ones; those not given are empty.
    for (std::size_t row = rows; rows > 0 && row < settings.from.size(); ++row)
        settings.from[row] = settings.to[row] = 0;
    return runOverProgram(
        io, out, err,
        [&settings](CLiDoc& doc, UtilityEdit& edit, std::size_t first, std::size_t last) {
            rotateLines(doc, edit, first, last, settings);
        });
}

int runMinMax(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    const auto io = documentArguments(arguments, err);
    if (!io || io->inPlace)
        return usageError(err, {}, kMinMaxUsage);
    DiscardBuffer discard;
    std::ostream program(&discard);
    return runOnDocument(*io, program, err, [&out](CLiDoc& doc, Notifier&) {
        const std::string text = minMaxText(doc, 0, doc.lineCount() - 1);
        if (!text.empty())
            out << text << '\n';
        return true;
    });
}

}  // namespace quillon::cli
