// quillonlt: the QuillonLT workstation.
#include <QApplication>
#include <QFileInfo>

#include "app/ui/ProgramIcon.h"
#include "app/ui/QuillonApplication.h"
#include "platform/ui/TerminationSignals.h"

int main(int argc, char** argv)
{
    QApplication qtApplication(argc, argv);
    QApplication::setApplicationName("QuillonLT");
    QApplication::setDesktopFileName(quillon::kDesktopEntryId);
    QApplication::setWindowIcon(quillon::programIcon());

    // Copies of the program under another name run on their own, as on Windows.
    const QString instanceName = QFileInfo(QApplication::applicationFilePath()).baseName();
    quillon::QuillonApplication application(quillon::WorkDir::fromEnvironment(), instanceName);
    switch (application.start(QApplication::arguments())) {
    case quillon::QuillonApplication::StartResult::HandedOver:
        return 0;
    case quillon::QuillonApplication::StartResult::Failed:
        return 1;
    case quillon::QuillonApplication::StartResult::Run:
        break;
    }
    // A kill, Ctrl+C in the starting shell or a logout ends the program as closing its
    // window does, minus the questions.
    quillon::TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &quillon::TerminationSignals::received, &application,
                     &quillon::QuillonApplication::endWithoutQuestions);
    return QApplication::exec();
}
