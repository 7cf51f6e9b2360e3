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

namespace {
const char* const kNotAnArchive = DRAVIK_TR_NOOP("Core", "Файл «%1» не открыт: это не архив DAT или архив повреждён.\n\n%2");
const char* const kNotOpened = DRAVIK_TR_NOOP("Core", "Файл «%1» не открыт.\n\n%2");
} // namespace

bool CDATFileDoc::OnOpenDocument(const std::string& path)
{
    // The archive that is open stays open until the new one has loaded.
    const std::string name = std::filesystem::path(path).filename().string();
    // The file's name and the cause fill the template after it is translated.
    auto tell = [&name](const char* text, const std::string& cause = std::string()) {
        CUiServices& ui = UiServices();
        ui.MessageBox(nullptr, ui.Text(text, {name, cause}), "", MB_OK | MB_ICONEXCLAMATION);
    };
    try {
        LoadKeepingOnFailure(path);
    } catch (const CEmptyArchiveError&) {
        tell(DRAVIK_TR_NOOP("Core", "Файл «%1» пуст (0 байт): открывать нечего."));
        return false;
    } catch (const CArchiveException& e) {
        // A load the user cancelled is reported as before.
        if (e.m_cause == CArchiveException::none)
            UiServices().ReportException(e, DRAVIK_TR_NOOP("Core", "Failed to open document."));
        else
            tell(kNotAnArchive, DescribeException(e));
        return false;
    } catch (const CFileException& e) {
        // Reading past the end or seeking outside the file: its sizes are not an archive's.
        const bool damaged = e.m_cause == CFileException::badSeek || e.m_cause == CFileException::endOfFile;
        tell(damaged ? kNotAnArchive : kNotOpened, DescribeException(e));
        return false;
    } catch (const std::exception& e) {
        tell(kNotOpened, DescribeException(e));
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
