#include "cli/ui/CliSession.h"

namespace quillon::cli {

std::unique_ptr<QGuiApplication> headlessSession()
{
    if (QGuiApplication::instance())
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The application keeps the references: they must outlive it.
    static int argc = 1;
    static char name[] = "quillonlt-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace quillon::cli
