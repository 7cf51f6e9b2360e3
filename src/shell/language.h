#pragma once
// The window's language: Russian or English, from the setting when the user
// chose one, else from the desktop's locale. Read once at start, so a change
// in Settings takes effect on the next start.
#include <QLocale>
#include <QString>

class QCoreApplication;

// The setting's values; empty means "as the desktop".
inline constexpr const char* kLanguageRussian = "ru";
inline constexpr const char* kLanguageEnglish = "en";

QString LanguageSetting();
void SetLanguageSetting(const QString& language);

// "ru" or "en".
QString ChosenLanguage(const QString& setting, const QLocale& desktop);

// Installs the program's translation and Qt's own (buttons of message boxes,
// file dialogs) for the language; the translators belong to the application.
// False when a translation that should be there could not be loaded.
bool InstallTranslations(QCoreApplication& app, const QString& language);
