#include "cli/CliRenumber.h"

#include <optional>
#include <ostream>
#include <string_view>

#include "cli/CliDocumentRun.h"
#include "cli/CliPort.h"
#include "editor/CLiDoc.h"
#include "editor/EditCommands.h"
#include "platform/Notifier.h"
#include "utilities/Renumber.h"

namespace quillon::cli {

namespace {

constexpr int kExitUsage = 2;

// The number settings with the ranges of the "Configure renumbering method" dialog.
struct NumberOption {
    std::string_view name;
    int RenumberSettings::*setting;
    int lowest;
    int highest;
};
constexpr NumberOption kNumberOptions[] = {
    {"--start", &RenumberSettings::start, 0, 10000},
    {"--increment", &RenumberSettings::increment, 1, 10000},
    {"--digits", &RenumberSettings::digits, 1, 6},
};

struct SwitchOption {
    std::string_view name;
    bool RenumberSettings::*setting;
};
constexpr SwitchOption kSwitchOptions[] = {
    {"--zeroes", &RenumberSettings::leadingZeroes},
    {"--letter-o", &RenumberSettings::letterO},
    {"--colon", &RenumberSettings::colon},
    {"--paren", &RenumberSettings::parenthesis},
};

// Takes the option at arguments[i] (and its value); false after telling err what is wrong.
bool takeSetting(const std::vector<std::string>& arguments, std::size_t& i,
                 RenumberSettings& settings, std::ostream& err)
{
    const std::string& argument = arguments[i];
    for (const auto& option : kSwitchOptions) {
        if (argument == option.name) {
            settings.*option.setting = true;
            return true;
        }
    }
    const bool hasValue = i + 1 < arguments.size();
    for (const auto& option : kNumberOptions) {
        if (argument != option.name)
            continue;
        const auto value = hasValue ? wholeNumber(arguments[++i]) : std::nullopt;
        if (!value || *value < option.lowest || *value > option.highest) {
            err << option.name << " takes a number from " << option.lowest << " to "
                << option.highest << '\n';
            return false;
        }
        settings.*option.setting = static_cast<int>(*value);
        return true;
    }
    if (argument == "--skip") {
        if (!hasValue || arguments[i + 1].size() > 1) {
            err << "--skip takes one character, or \"\" for none\n";
            return false;
        }
        const std::string& character = arguments[++i];
        settings.skip = character.empty() ? '\0' : character.front();
        return true;
    }
    err << "unexpected argument: " << argument << '\n';
    return false;
}

}  // namespace

int runRenumber(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    RenumberSettings settings;
    DocumentIo io;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (takeDocumentArgument(arguments[i], io))
            continue;
        if (!takeSetting(arguments, i, settings, err)) {
            err << "usage: quillonlt-cli " << kRenumberUsage << '\n';
            return kExitUsage;
        }
    }
    return runOnDocument(io, out, err, [&settings](CLiDoc& doc, Notifier& notifier) {
        std::optional<std::string> message;
        {
            UtilityEdit edit(doc, true);  // one compact step: the quickest run
            message = renumberLines(doc, edit, 0, doc.lineCount() - 1, settings);
        }
        if (message)
            notifier.message(*message);
        return true;
    });
}

int runRemoveNumbers(const std::vector<std::string>& arguments, std::ostream& out,
                     std::ostream& err)
{
    DocumentIo io;
    for (const auto& argument : arguments) {
        if (!takeDocumentArgument(argument, io)) {
            err << "unexpected argument: " << argument << '\n'
                << "usage: quillonlt-cli " << kRemoveNumbersUsage << '\n';
            return kExitUsage;
        }
    }
    return runOnDocument(io, out, err, [](CLiDoc& doc, Notifier& notifier) {
        if (rangeHoldsCannedCycle(doc, 0, doc.lineCount() - 1) &&
            !notifier.askYesNo(kRemoveNumbersWarningText, kRemoveNumbersWarningTitle,
                               NoticeIcon::Exclamation))
            return false;
        UtilityEdit edit(doc, true);  // one compact step: the quickest run
        removeBlockNumbers(doc, edit, 0, doc.lineCount() - 1);
        return true;
    });
}

}  // namespace quillon::cli
