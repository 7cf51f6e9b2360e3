#include "shell/savedchoices.h"

#include "archive/datfiledoc.h"
#include "platform/profile.h"
#include "shell/mainframe.h"
#include "views/filelist.h"

#include <QSplitter>

namespace {

const QString kSection = QStringLiteral("Window");

QByteArray ReadBytes(const QString& entry)
{
    return QByteArray::fromBase64(CProfile::GetProfileString(kSection, entry).toLatin1());
}

void WriteBytes(const QString& entry, const QByteArray& bytes)
{
    CProfile::WriteProfileString(kSection, entry, QString::fromLatin1(bytes.toBase64()));
}

// A number the profile holds, or def when it holds none or something else.
int ReadInt(const QString& entry, int def, int lowest, int highest)
{
    bool ok = false;
    const int value = CProfile::GetProfileString(kSection, entry).toInt(&ok);
    return ok && value >= lowest && value <= highest ? value : def;
}

} // namespace

void RestoreSavedChoices(CMainFrame& frame, CDATFileDoc& doc)
{
    // Qt checks the bytes; a damaged value leaves the defaults.
    frame.restoreGeometry(ReadBytes(QStringLiteral("Geometry")));
    frame.OuterSplitter()->restoreState(ReadBytes(QStringLiteral("OuterSplitter")));
    frame.InnerSplitter()->restoreState(ReadBytes(QStringLiteral("InnerSplitter")));
    CDATFileList* list = frame.GetFileList();
    list->SetStyle(ReadInt(QStringLiteral("ListStyle"), list->GetStyle(), 0, 3));
    list->SetThumbnails(ReadInt(QStringLiteral("Thumbnails"), 0, 0, 1) != 0);
    list->m_bAutoShow = ReadInt(QStringLiteral("AutoShow"), list->m_bAutoShow ? 1 : 0, 0, 1) != 0;
    doc.SetViewMode(ReadInt(QStringLiteral("ViewMode"), doc.m_nViewMode, 0, 1));
}

void SaveChoices(const CMainFrame& frame, const CDATFileDoc& doc)
{
    WriteBytes(QStringLiteral("Geometry"), frame.saveGeometry());
    WriteBytes(QStringLiteral("OuterSplitter"), frame.OuterSplitter()->saveState());
    WriteBytes(QStringLiteral("InnerSplitter"), frame.InnerSplitter()->saveState());
    const CDATFileList* list = frame.GetFileList();
    CProfile::WriteProfileString(kSection, QStringLiteral("ListStyle"), QString::number(list->GetStyle()));
    CProfile::WriteProfileString(kSection, QStringLiteral("Thumbnails"), QString::number(list->Thumbnails() ? 1 : 0));
    CProfile::WriteProfileString(kSection, QStringLiteral("AutoShow"), QString::number(list->m_bAutoShow ? 1 : 0));
    CProfile::WriteProfileString(kSection, QStringLiteral("ViewMode"), QString::number(doc.m_nViewMode));
}
