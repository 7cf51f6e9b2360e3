#include "shell/language.h"

#include "platform/profile.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

const QString kSection = QStringLiteral("Settings");
const QString kEntry = QStringLiteral("Language");

} // namespace

QString LanguageSetting()
{
    return CProfile::GetProfileString(kSection, kEntry);
}

void SetLanguageSetting(const QString& language)
{
    CProfile::WriteProfileString(kSection, kEntry, language);
}

QString ChosenLanguage(const QString& setting, const QLocale& desktop)
{
    if (setting == QLatin1String(kLanguageRussian) || setting == QLatin1String(kLanguageEnglish))
        return setting;
    // Any other value (an older or hand-edited profile) counts as unset.
    return desktop.language() == QLocale::Russian ? QLatin1String(kLanguageRussian) : QLatin1String(kLanguageEnglish);
}

bool InstallTranslations(QCoreApplication& app, const QString& language)
{
    auto* own = new QTranslator(&app);
    bool ok = own->load(QStringLiteral(":/i18n/dravik_%1.qm").arg(language));
    if (ok)
        QCoreApplication::installTranslator(own);
    // Qt speaks English by itself; Russian comes from its shipped translations.
    if (language != QLatin1String(kLanguageEnglish)) {
        auto* qt = new QTranslator(&app);
        if (qt->load(QStringLiteral("qtbase_%1").arg(language), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qt);
        else
            ok = false;
    }
    return ok;
}
