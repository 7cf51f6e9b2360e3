#include "archive/datfiledoc.h"

#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/uiservices.h"

#include <filesystem>

CDATFileDoc::CDATFileDoc(bool useProfile) : m_CashPath(useProfile) {}

CDATFileDoc::~CDATFileDoc() = default;

SArchiveContext CDATFileDoc::Context() const
{
    return {this, m_CashPath.Get(), &UiServices(), m_strDefaultPalette};
}

void CDATFileDoc::DeleteContents()
{
    m_listing.clear();
    m_search.Clear();
    Clear();
    UpdateAllViews(nullptr, 0, nullptr);
}

void CDATFileDoc::LoadArchive(const std::string& path)
{
    DeleteContents();
    try {
        CFile file(path, CFile::modeRead);
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(path, error);
        m_strArchivePath = error ? path : absolute.string();
        // An empty file opens as an empty document, without an error.
        if (file.GetLength() == 0)
            return;
        Serialize(file);
    } catch (...) {
        DeleteContents();
        throw;
    }
}

bool CDATFileDoc::OnOpenDocument(const std::string& path)
{
    // The archive that is open stays open until the new one has loaded.
    const std::string name = std::filesystem::path(path).filename().string();
    auto tell = [](const std::string& text) { UiServices().MessageBox(nullptr, text, "", MB_OK | MB_ICONEXCLAMATION); };
    try {
        LoadKeepingOnFailure(path);
    } catch (const CEmptyArchiveError&) {
        tell("Файл «" + name + "» пуст (0 байт): открывать нечего.");
        return false;
    } catch (const CArchiveException& e) {
        // A load the user cancelled is reported as before.
        if (e.m_cause == CArchiveException::none)
            UiServices().ReportException(e, "Failed to open document.");
        else
            tell("Файл «" + name + "» не открыт: это не архив DAT или архив повреждён.\n\n" + DescribeException(e));
        return false;
    } catch (const CFileException& e) {
        // Reading past the end or seeking outside the file: its sizes are not an archive's.
        const bool damaged = e.m_cause == CFileException::badSeek || e.m_cause == CFileException::endOfFile;
        tell("Файл «" + name + (damaged ? "» не открыт: это не архив DAT или архив повреждён.\n\n" : "» не открыт.\n\n") +
             DescribeException(e));
        return false;
    } catch (const std::exception& e) {
        tell("Файл «" + name + "» не открыт.\n\n" + DescribeException(e));
        return false;
    }
    // The old entries are gone: nothing may point at them any more.
    m_listing.clear();
    m_search.Clear();
    m_nListingKind = kListFolder;
    return true;
}

void CDATFileDoc::SetViewMode(int mode)
{
    if (m_nViewMode == mode)
        return;
    m_nViewMode = mode;
    UpdateAllViews(nullptr, 0, nullptr);
}
