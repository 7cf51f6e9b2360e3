#include "platform/profile.h"
#include "shell/app.h"
#include "shell/language.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("DravikInc"));
    QCoreApplication::setApplicationName(QString::fromUtf8(g_szAppTitle));
    // A missing translation leaves the texts as written: nothing to report.
    InstallTranslations(application, ChosenLanguage(LanguageSetting(), QLocale::system()));

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    CDravikApp app;
    if (!app.InitInstance(arguments))
        return 1;
    return application.exec();
}
