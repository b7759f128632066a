// mime_probe: prints the MIME type Qt's database gives each file, "FILE TYPE" a line.
//
// The packaging test points XDG_DATA_HOME at an installed tree and asks this program, so the
// answer comes from the same shared-mime-info database that file managers and the program's
// own file dialogs read.
#include <QCoreApplication>
#include <QMimeDatabase>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QMimeDatabase database;
    for (int i = 1; i < argc; ++i) {
        const QString type = database.mimeTypeForFile(QString::fromLocal8Bit(argv[i])).name();
        std::printf("%s %s\n", argv[i], qPrintable(type));
    }
    return 0;
}
