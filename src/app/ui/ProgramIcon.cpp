#include "app/ui/ProgramIcon.h"

// The icon lives in a static library, whose resource registration the linker would
// otherwise leave out; outside any namespace, as Q_INIT_RESOURCE must be.
static void registerDesktopResources()
{
    Q_INIT_RESOURCE(desktop);
}

namespace quillon {

QIcon programIcon()
{
    registerDesktopResources();
    const QIcon builtIn(QStringLiteral(":/desktop/%1.svg").arg(kDesktopEntryId));
    return QIcon::fromTheme(kDesktopEntryId, builtIn);
}

}  // namespace quillon
