#include "platform/profile.h"
#include "shell/app.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("DravikInc"));
    QCoreApplication::setApplicationName(QString::fromUtf8(g_szAppTitle));

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    CDravikApp app;
    if (!app.InitInstance(arguments))
        return 1;
    return application.exec();
}
