#include "app/ui/DesktopCalculator.h"

#include <QProcess>
#include <QStandardPaths>

#include "platform/Notifier.h"

namespace quillon {

QStringList calculatorCandidates()
{
    return {"gnome-calculator", "kcalc",         "galculator",  "mate-calc",
            "qalculate-qt",     "qalculate-gtk", "speedcrunch", "xcalc"};
}

QString findCalculator(const QStringList& searchPaths)
{
    for (const auto& name : calculatorCandidates()) {
        const QString path = QStandardPaths::findExecutable(name, searchPaths);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

bool startCalculator(Notifier& notifier)
{
    const QString calculator = findCalculator();
    if (calculator.isEmpty()) {
        notifier.information(
            "No desktop calculator is installed.\n"
            "Install one, for example with: sudo apt install gnome-calculator");
        return false;
    }
    if (!QProcess::startDetached(calculator, {})) {
        notifier.message("The calculator could not be started: " + calculator.toStdString());
        return false;
    }
    return true;
}

}  // namespace quillon
