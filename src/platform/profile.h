#pragma once
// The per-user profile: QSettings under the organisation "DravikInc" and the
// application "Ashmoor 2 DAT file browser", one group per section.
#include "platform/apptitle.h"

#include <QString>
#include <QStringList>

class CProfile
{
public:
    static QString GetProfileString(const QString& section, const QString& entry, const QString& def = {});
    static void WriteProfileString(const QString& section, const QString& entry, const QString& value);

    // The recent-file list, newest first, at most four paths.
    static QStringList GetRecentFiles();
    static void AddRecentFile(const QString& path);
    static constexpr int kRecentFileCount = 4;

    // The folder last used in a dialog ("Open", "Save", "Copy"); empty when
    // none was used or it is gone.
    static QString GetLastFolder(const QString& dialog);
    static void SetLastFolder(const QString& dialog, const QString& folder);
};
