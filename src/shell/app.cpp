#include "shell/app.h"

#include "archive/datfiledoc.h"
#include "filetypes/openedfiles.h"
#include "platform/exceptions.h"
#include "platform/profile.h"
#include "platform/uitext.h"
#include "shell/aboutdlg.h"
#include "shell/defaultpalette.h"
#include "views/commandids.h"
#include "shell/helpdialog.h"
#include "shell/mainframe.h"
#include "shell/optiondialog.h"
#include "shell/playerblob.h"
#include "shell/qtuiservices.h"
#include "shell/sourcesetdlg.h"

#include <QFileInfo>

bool CDocCommands::OnCmdMsg(unsigned id, CCmdUI* ui)
{
    switch (id) {
    case ID_VIEW_FOLDERS:
    case ID_VIEW_TYPES: {
        const int mode = id == ID_VIEW_FOLDERS ? 0 : 1;
        if (ui)
            ui->SetCheck(m_doc.m_nViewMode == mode ? 1 : 0);
        else
            m_doc.SetViewMode(mode);
        return true;
    }
    case ID_SETTINGS:
        if (!ui) {
            CDATOptionDialog dialog(m_doc.m_CashPath, m_pOwner, &m_doc.m_strDefaultPalette);
            dialog.exec();
            // Entries remember their cache files; those are gone now.
            if (dialog.CacheEmptied())
                for (CDATInternalFile& file : m_doc.m_files)
                    file.m_strCachePath.clear();
        }
        return true;
    default:
        return false;
    }
}

CDravikApp::CDravikApp() : m_pOpenedFiles(std::make_unique<COpenedFiles>()) {}

CDravikApp::~CDravikApp()
{
    // The window goes before the document it shows; the document stores the
    // cache folder as it goes.
    m_pFrame.reset();
    m_pDoc.reset();
}

bool CDravikApp::InitInstance(const QStringList& arguments, CUiServices* services)
{
    InstallCarriedPlayer();
    m_pServices = std::make_unique<CQtUiServices>();
    SetUiServices(services ? services : m_pServices.get());

    m_pDoc = std::make_unique<CDATFileDoc>(true);
    m_pDoc->SetProgressFactory([] { return UiServices().CreateProgress(); });
    m_pDoc->m_strDefaultPalette = LoadDefaultPalettePath();
    m_pDocCommands = std::make_unique<CDocCommands>(*m_pDoc, nullptr);
    m_pFrame = std::make_unique<CMainFrame>(m_pDoc.get(), m_pDocCommands.get(), this);
    m_pServices->SetMainWindow(m_pFrame.get());
    m_pServices->SetDocument(m_pDoc.get());
    m_pDocCommands->SetDialogOwner(m_pFrame.get());
    m_pFrame->SetOpenHandler([this](const QString& path) { OpenDocumentFile(path); });
    RefreshRecentFiles();

    if (!arguments.isEmpty()) {
        if (!OpenDocumentFile(SourceSetPath(arguments))) {
            m_pFrame.reset();
            return false;
        }
    } else {
        OnFileNew();
    }
    m_pFrame->show();
    return true;
}

bool CDravikApp::OpenDocumentFile(const QString& path)
{
    const QString absolute = IsSourceSet(path.toStdString()) ? path : QFileInfo(path).absoluteFilePath();
    const bool opened = m_pDoc->OpenDocumentFile(absolute.toStdString());
    if (opened) {
        RememberArchivePalette(*m_pDoc);
        CProfile::AddRecentFile(absolute);
        RefreshRecentFiles();
    }
    if (m_pFrame)
        m_pFrame->UpdateTitle();
    return opened;
}

void CDravikApp::OnFileNew()
{
    m_pDoc->OnNewDocument();
    m_pDoc->SendInitialUpdate();
    if (m_pFrame)
        m_pFrame->UpdateTitle();
}

void CDravikApp::OnFileOpen()
{
    if (const auto chosen = UiServices().GetOpenArchiveName(nullptr, std::string()))
        OpenDocumentFile(QString::fromStdString(*chosen));
}

void CDravikApp::OnFileOpenSet()
{
    // An open set is offered for reordering; an open archive starts a new set.
    QStringList sources;
    if (m_pDoc && !m_pDoc->GetPathName().empty())
        for (const std::string& s : SplitSourceSet(m_pDoc->GetPathName()))
            sources << QString::fromStdString(s);
    CSourceSetDialog dialog(sources, m_pFrame.get());
    if (dialog.exec() == QDialog::Accepted && !dialog.Sources().isEmpty()) {
        std::vector<std::string> chosen;
        for (const QString& s : dialog.Sources())
            chosen.push_back(QFileInfo(s).absoluteFilePath().toStdString());
        OpenDocumentFile(QString::fromStdString(JoinSourceSet(chosen)));
    }
}

void CDravikApp::OnFileCompare(bool folder)
{
    CUiServices& ui = UiServices();
    const std::optional<std::string> chosen =
        folder ? ui.BrowseForFolder(nullptr, DRAVIK_TR_NOOP("Core", "Сравнить с папкой"))
               : ui.GetOpenArchiveName(nullptr, DRAVIK_TR_NOOP("Core", "Сравнить с архивом"));
    if (!chosen)
        return;
    std::vector<std::string> complaints;
    try {
        if (!m_pDoc->LoadComparison(*chosen, complaints))
            return; // cancelled: what was shown stays
    } catch (const std::exception& e) {
        ui.MessageBox(nullptr, ui.Text(DRAVIK_TR_NOOP("Core", "Сравнение не выполнено.\n\n%1"), {DescribeException(e)}),
                      "", MB_OK | MB_ICONEXCLAMATION);
    }
    if (!complaints.empty()) {
        // A few lines say enough; the list marks every such entry.
        std::string lines;
        for (std::size_t i = 0; i < std::min<std::size_t>(complaints.size(), 10); ++i)
            lines += complaints[i] + '\n';
        ui.MessageBox(nullptr, ui.Text(DRAVIK_TR_NOOP("Core", "Не все файлы удалось сравнить:\n\n%1"), {lines}), "",
                      MB_OK | MB_ICONEXCLAMATION);
    }
    if (m_pFrame)
        m_pFrame->UpdateTitle();
}

void CDravikApp::OnOpenRecentFile(int index)
{
    const QStringList files = CProfile::GetRecentFiles();
    if (index < 0 || index >= files.size())
        return;
    if (!OpenDocumentFile(files[index])) {
        // A recent file that no longer opens leaves the list.
        QStringList rest = files;
        rest.removeAt(index);
        for (int i = 0; i < CProfile::kRecentFileCount; ++i)
            CProfile::WriteProfileString(QStringLiteral("Recent File List"), QStringLiteral("File%1").arg(i + 1),
                                         i < rest.size() ? rest[i] : QString());
        RefreshRecentFiles();
    }
}

void CDravikApp::RefreshRecentFiles()
{
    if (m_pFrame)
        m_pFrame->SetRecentFiles(CProfile::GetRecentFiles());
}

bool CDravikApp::OnCmdMsg(unsigned id, CCmdUI* ui)
{
    if (id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_LAST) {
        if (!ui)
            OnOpenRecentFile(int(id - ID_FILE_MRU_FILE1));
        return true;
    }
    switch (id) {
    case ID_FILE_OPEN:
        if (!ui)
            OnFileOpen();
        return true;
    case ID_FILE_OPENSET:
        if (!ui)
            OnFileOpenSet();
        return true;
    case ID_FILE_NEW:
        if (!ui)
            OnFileNew();
        return true;
    case ID_FILE_COMPARE:
    case ID_FILE_COMPAREFOLDER:
        if (ui)
            ui->Enable(m_pDoc && m_pDoc->IsLoaded() && !m_pDoc->GetPathName().empty());
        else if (m_pDoc && m_pDoc->IsLoaded())
            OnFileCompare(id == ID_FILE_COMPAREFOLDER);
        return true;
    case ID_FILE_ENDCOMPARE:
        // The old side alone again, as it opened.
        if (ui)
            ui->Enable(m_pDoc && m_pDoc->Comparison());
        else if (m_pDoc && m_pDoc->Comparison())
            OpenDocumentFile(QString::fromStdString(m_pDoc->GetPathName()));
        return true;
    case ID_FILE_REOPEN:
        // The archive as it is on disk now; a failure keeps the one shown.
        if (ui)
            ui->Enable(m_pDoc && !m_pDoc->GetPathName().empty());
        else if (m_pDoc && !m_pDoc->GetPathName().empty())
            OpenDocumentFile(QString::fromStdString(m_pDoc->GetPathName()));
        return true;
    case ID_APP_EXIT:
        if (!ui && m_pFrame)
            m_pFrame->close();
        return true;
    case ID_APP_ABOUT:
        if (!ui) {
            CAboutDlg dialog(m_pFrame.get());
            dialog.exec();
        }
        return true;
    case ID_APP_HELPDIALOG:
        if (!ui) {
            CDATHelpDialog dialog(m_pFrame.get());
            dialog.exec();
        }
        return true;
    default:
        return false;
    }
}
