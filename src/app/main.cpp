#include "desktopplatform.h"
#include "frmframe.h"
#include "startupphase.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrav"));
    QApplication::setOrganizationName(QStringLiteral("Kestrav"));
    markStartupPhase("application");

    frmFrame frame(makeDesktopPlatform());
    markStartupPhase("frame");
    frame.MDIForm_Load();
    return application.exec();
}
