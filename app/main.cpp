// Start-up of the program. The interpreter units initialise first, in the
// order their state depends on each other.
#include "language/OVHeader.h"
#include "language/OVInterpreter.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Orvane"));
    ov::InitializeInterpreterUnits();
    QTextStream(stdout) << "Orvane: interpreter core ready on " << ov::OSVersionName
                        << "; the windows are not built yet.\n";
    return 0;
}
