#include "archive/datfiledoc.h"

#include "archive/sourcestack.h"
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
    m_bQueryWaits = false;
    Clear();
    m_pStack.reset();
    m_pComparison.reset();
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
    // A worker folding the paths reads the entries about to be replaced.
    m_search.Clear();
    try {
        if (IsSourceSet(path)) {
            LoadSet(SplitSourceSet(path));
        } else {
            LoadKeepingOnFailure(path);
            m_pStack.reset();
            m_pComparison.reset();
        }
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
    m_bQueryWaits = false;
    m_nListingKind = kListFolder;
    return true;
}

void CDATFileDoc::LoadSet(const std::vector<std::string>& sources)
{
    std::vector<std::string> absolute;
    std::unique_ptr<CSourceStack> stack = OpenSources(sources, absolute);
    AdoptStack(std::move(stack), absolute);
}

std::unique_ptr<CSourceStack> CDATFileDoc::OpenSources(const std::vector<std::string>& sources,
                                                       std::vector<std::string>& absolute) const
{
    auto stack = std::make_unique<CSourceStack>();
    std::vector<std::string> skipped; // names no archive can hold are simply not shown
    for (const std::string& source : sources) {
        std::error_code error;
        const std::filesystem::path full = std::filesystem::absolute(source, error);
        absolute.push_back(error ? source : full.lexically_normal().string());
        if (absolute.back().size() > 1 && absolute.back().back() == '/')
            absolute.back().pop_back();
        stack->Add(std::filesystem::path(absolute.back()).filename().string(), absolute.back(), skipped);
    }
    return stack;
}

void CDATFileDoc::AdoptStack(std::unique_ptr<CSourceStack> stack, const std::vector<std::string>& absolute)
{
    m_listing.clear();
    m_search.Clear();
    m_pStack.reset();
    m_pComparison.reset();
    try {
        stack->Build(*this);
    } catch (...) {
        DeleteContents();
        throw;
    }
    m_pStack = std::move(stack);
    m_strArchivePath = JoinSourceSet(absolute);
}

std::string CDATFileDoc::EntryFile(const CDATInternalFile& entry) const
{
    if (!m_pStack)
        return m_strArchivePath;
    const std::size_t i = std::size_t(&entry - m_files.data());
    if (&entry < m_files.data() || i >= m_files.size())
        return m_strArchivePath; // a copy made for a preview carries its own path
    const SEntryCopy winner = m_pStack->Winner(i);
    return m_pStack->Source(winner.m_nSource).FileOf(winner.m_nIndex);
}

std::string JoinSourceSet(const std::vector<std::string>& sources)
{
    std::string joined;
    for (const std::string& s : sources)
        joined += (joined.empty() ? "" : "\n") + s;
    // One source alone still opens as a set.
    return sources.size() == 1 ? joined + "\n" : joined;
}

std::vector<std::string> SplitSourceSet(const std::string& path)
{
    std::vector<std::string> sources;
    for (std::size_t start = 0; start < path.size();) {
        std::size_t end = path.find('\n', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start)
            sources.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return sources;
}

bool IsSourceSet(const std::string& path)
{
    return path.find('\n') != std::string::npos;
}

CEntryFiles::CEntryFiles(const CDATArchive& archive) : m_archive(archive)
{
    if (!IsSourceSet(archive.ArchivePath())) {
        m_strPath = archive.ArchivePath();
        m_file.Open(m_strPath, CFile::modeRead);
    }
}

CFile& CEntryFiles::For(const CDATInternalFile& entry)
{
    std::string path = m_archive.EntryFile(entry);
    if (path != m_strPath) {
        try {
            m_file = CFile(path, CFile::modeRead);
        } catch (CFileException& e) {
            e.m_side = CFileException::archiveSide; // the source's failure, not the output's
            throw;
        }
        m_strPath = std::move(path);
    }
    return m_file;
}

void CDATFileDoc::SetViewMode(int mode)
{
    if (m_nViewMode == mode)
        return;
    m_nViewMode = mode;
    UpdateAllViews(nullptr, 0, nullptr);
}
