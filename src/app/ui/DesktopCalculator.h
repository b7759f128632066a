// "&Calculator": starts the desktop's calculator, whichever one is installed.
#pragma once

#include <QString>
#include <QStringList>

namespace quillon {

class Notifier;

// The calculators looked for on the PATH, in order of preference.
QStringList calculatorCandidates();

// The first candidate found in the given folders (the PATH when empty).
QString findCalculator(const QStringList& searchPaths = {});

// Starts it detached, through no shell; tells the user when none is installed or it
// would not start.
bool startCalculator(Notifier& notifier);

}  // namespace quillon
