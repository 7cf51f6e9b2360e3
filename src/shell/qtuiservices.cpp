#include "shell/qtuiservices.h"

#include "platform/ui/guarded.h"

#include "platform/cwnd.h"
#include "platform/exceptions.h"
#include "platform/profile.h"
#include "shell/progressdlg.h"
#include "shell/propdialog.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <unistd.h>

namespace {

QString Utf8(const std::string& s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// A text of the core in the user's language.
QString Translated(const std::string& text)
{
    return QCoreApplication::translate(kCoreTextContext, text.c_str());
}

QString AbsolutePath(const std::string& path)
{
    return QFileInfo(Utf8(path)).absoluteFilePath();
}

// A dialog is about to wait for the user over a running operation: its
// progress shows what was last set, not what the last pump saw.
void ShowProgressAsSet()
{
    if (CProgressDlg* progress = CProgressDlg::Current(); progress && progress->isVisible())
        progress->ShowLatest();
}

// Qt name filters from a filter text of description and pattern pairs:
// "Text files|*.txt;*.msg|All files (*.*)|*.*||" gives "Text files (*.txt *.msg)"
// and "All files (*.*)"; a description that shows its pattern keeps it.
QStringList NameFilters(const std::string& filter)
{
    const QStringList parts = Utf8(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size() && !(parts[i].isEmpty() && parts[i + 1].isEmpty()); i += 2) {
        const QString pattern = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << (parts[i].contains(QLatin1Char('(')) ? parts[i] : parts[i] + QStringLiteral(" (") + pattern +
                                                                     QLatin1Char(')'));
    }
    return filters;
}

} // namespace

std::string CQtUiServices::Translate(const char* text)
{
    return QCoreApplication::translate(kCoreTextContext, text).toStdString();
}

CQtUiServices::CQtUiServices(QWidget* mainWindow) : m_pMainWindow(mainWindow) {}

CQtUiServices::~CQtUiServices()
{
    if (&UiServices() == this)
        SetUiServices(nullptr);
}

QWidget* CQtUiServices::OwnerOf(CWnd* wnd) const
{
    if (auto* widget = dynamic_cast<QWidget*>(wnd))
        return widget;
    return m_pMainWindow;
}

int CQtUiServices::MessageBox(CWnd* parent, const std::string& text, const std::string& caption, unsigned flags)
{
    ShowProgressAsSet();
    QMessageBox box(OwnerOf(parent));
    box.setWindowTitle(caption.empty() ? Utf8(g_szAppTitle) : Translated(caption));
    box.setText(Translated(text));
    switch (flags & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    switch (flags & 0x0F) {
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MB_YESNOCANCEL:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MB_YESNOALLCANCEL:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::NoToAll |
                               QMessageBox::Cancel);
        break;
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::YesToAll: return IDYESTOALL;
    case QMessageBox::NoToAll: return IDNOTOALL;
    case QMessageBox::Cancel: return IDCANCEL;
    default: return IDOK;
    }
}

QString CQtUiServices::ReportText(const std::exception& e, const std::string& context)
{
    QString text = Utf8(DescribeException(e));
    if (!context.empty())
        text = Translated(context) + QLatin1Char(' ') + text;
    return text;
}

void CQtUiServices::ReportException(const std::exception& e, const std::string& context)
{
    const QString text = ReportText(e, context);
    if (CPaintScope::Inside()) {
        // Nothing modal inside a paint: show it right after, once.
        if (m_deferred.contains(text))
            return;
        m_deferred << text;
        if (m_deferred.size() == 1)
            QTimer::singleShot(0, [this] { ShowDeferredReports(); });
        return;
    }
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(g_szAppTitle), text, QMessageBox::Ok, m_pMainWindow);
    box.exec();
}

void CQtUiServices::ShowDeferredReports()
{
    while (!m_deferred.isEmpty()) {
        const QString text = m_deferred.front();
        QMessageBox box(QMessageBox::Warning, QString::fromUtf8(g_szAppTitle), text, QMessageBox::Ok, m_pMainWindow);
        box.exec();
        m_deferred.removeFirst();
    }
}

void CQtUiServices::ShowProperties(CDATItem* item, CWnd* parent)
{
    CFilePropDialog dialog(OwnerOf(parent), item, m_pDoc);
    dialog.exec();
}

std::optional<CUiServices::SSaveFileResult> CQtUiServices::GetSaveFileName(CWnd* parent, const std::string& filter,
                                                                            const std::string& initialName)
{
    const QStringList filters = NameFilters(filter);
    ShowProgressAsSet();
    QFileDialog dialog(OwnerOf(parent));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (const QString last = CProfile::GetLastFolder(QStringLiteral("Save")); !last.isEmpty())
        dialog.setDirectory(last);
    dialog.selectFile(Utf8(initialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    SSaveFileResult result;
    const QFileInfo chosen(dialog.selectedFiles().front());
    CProfile::SetLastFolder(QStringLiteral("Save"), chosen.absolutePath());
    result.m_strPath = chosen.absoluteFilePath().toStdString();
    result.m_nFilterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (result.m_nFilterIndex < 1)
        result.m_nFilterIndex = 1;
    return result;
}

std::optional<std::string> CQtUiServices::BrowseForFolder(CWnd* parent, const std::string& title)
{
    // The desktop's own folder dialog: it reaches hidden folders and takes a
    // typed path.
    ShowProgressAsSet();
    const QString last = CProfile::GetLastFolder(QStringLiteral("Copy"));
    const QString chosen =
        QFileDialog::getExistingDirectory(OwnerOf(parent), Translated(title), last.isEmpty() ? QDir::homePath() : last);
    if (chosen.isEmpty())
        return std::nullopt;
    const QString folder = QDir::cleanPath(QFileInfo(chosen).absoluteFilePath());
    CProfile::SetLastFolder(QStringLiteral("Copy"), folder);
    return folder.toStdString();
}

std::optional<std::string> CQtUiServices::GetOpenArchiveName(CWnd* parent, const std::string& title)
{
    QFileDialog dialog(OwnerOf(parent), Translated(title));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("DAT archives (*.dat)"), QStringLiteral("All Files (*)")});
    if (const QString last = CProfile::GetLastFolder(QStringLiteral("Open")); !last.isEmpty())
        dialog.setDirectory(last);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QFileInfo chosen(dialog.selectedFiles().front());
    CProfile::SetLastFolder(QStringLiteral("Open"), chosen.absolutePath());
    return chosen.absoluteFilePath().toStdString();
}

bool CQtUiServices::OpenWithDefaultProgram(CWnd*, const std::string& path, std::string* error)
{
    const QString absolute = AbsolutePath(path);
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(absolute)))
        return true;
    if (error)
        *error = "the desktop has no program to open " + absolute.toStdString();
    return false;
}

bool CQtUiServices::StartProgram(CWnd*, const std::string& path, std::string* error)
{
    const QString absolute = AbsolutePath(path);
    const QByteArray native = QFile::encodeName(absolute);
    if (::access(native.constData(), X_OK) != 0) {
        if (error)
            *error = absolute.toStdString() + " cannot be run: it is not executable here";
        return false;
    }
    if (QProcess::startDetached(absolute, {}))
        return true;
    if (error)
        *error = absolute.toStdString() + " could not be started (a folder mounted without program execution?)";
    return false;
}

std::unique_ptr<IProgress> CQtUiServices::CreateProgress()
{
    return std::make_unique<CProgressDlg>(m_pMainWindow);
}
