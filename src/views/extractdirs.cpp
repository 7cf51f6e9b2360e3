#include "views/extractdirs.h"

#include "archive/datfiledoc.h"
#include "archive/destnames.h"
#include "archive/extract.h"
#include "archive/filenames.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/uiservices.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <stdexcept>
#include <sys/stat.h>

namespace {

const char* const kCaption = DRAVIK_TR_NOOP("Core", "Предупреждение");

// A folder (no file) or a file to write, its path below the chosen folder.
struct SPlanned
{
    const CDATInternalFile* m_pFile;
    std::string m_strPath;
    bool m_bTop; // one of the selected items itself
};

class CPlanner
{
public:
    CPlanner(const CDATArchive& archive, const SExtractDirsOptions& options) : m_archive(archive), m_options(options)
    {
    }

    void AddItem(const CDATItem* item)
    {
        if (!m_seen.insert(item).second)
            return;
        if (const auto* file = dynamic_cast<const CDATInternalFile*>(item)) {
            Add(file, EntryNameForDisk(file->m_strName), true);
        } else if (const auto* folder = dynamic_cast<const CDATFolder*>(item)) {
            if (folder->IsRoot()) {
                AddContents(folder, std::string(), true);
            } else {
                const std::string path = EntryNameForDisk(folder->m_strName);
                Add(nullptr, path, true);
                AddContents(folder, path + '/', false);
            }
        }
    }

    // Without a filter every folder is made, empty ones too; with one, only
    // those that hold something to write. A folder's contents follow it.
    void DropEmptyFolders()
    {
        if (!m_options.m_take)
            return;
        std::vector<SPlanned> kept;
        for (auto it = m_plan.rbegin(); it != m_plan.rend(); ++it) {
            if (!it->m_pFile && (kept.empty() || kept.back().m_strPath.rfind(it->m_strPath + '/', 0) != 0))
                continue;
            kept.push_back(*it);
        }
        m_plan.assign(kept.rbegin(), kept.rend());
    }

    std::vector<SPlanned> m_plan;
    std::size_t m_nFiles = 0;
    std::uint64_t m_nBytes = 0;

private:
    void Add(const CDATInternalFile* file, std::string path, bool top)
    {
        if (file && m_options.m_take) {
            if (!m_options.m_take(*file))
                return;
            path = m_options.m_rename(*file, path);
        }
        if (file) {
            ++m_nFiles;
            m_nBytes += file->m_nRealSize;
        }
        m_plan.push_back({file, std::move(path), top});
    }

    // Subfolders first, each before what it holds, so that a folder is made
    // before anything is written into it.
    void AddContents(const CDATFolder* folder, const std::string& prefix, bool top)
    {
        const auto& index = m_archive.m_index;
        const std::size_t slots = index.m_folderFileStart.size();
        const std::size_t slot = folder->IsRoot() ? slots - 2 : folder->m_nIndex;
        if (slots < 2 || slot + 1 >= slots)
            return;
        for (std::uint32_t i = index.m_folderChildStart[slot]; i < index.m_folderChildStart[slot + 1]; ++i) {
            const CDATFolder* child = index.m_folderChildren[i];
            if (top && !m_seen.insert(child).second)
                continue;
            const std::string path = prefix + EntryNameForDisk(child->m_strName);
            Add(nullptr, path, top);
            AddContents(child, path + '/', false);
        }
        for (std::uint32_t i = index.m_folderFileStart[slot]; i < index.m_folderFileStart[slot + 1]; ++i) {
            const CDATInternalFile* file = &m_archive.m_files[index.m_folderFiles[i]];
            if (top && !m_seen.insert(file).second)
                continue;
            Add(file, prefix + EntryNameForDisk(file->m_strName), top);
        }
    }

    const CDATArchive& m_archive;
    const SExtractDirsOptions& m_options;
    std::set<const CDATItem*> m_seen;
};

// lstat: a dangling symbolic link is something that would be replaced too.
bool SomethingAt(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

void MakeFolder(const std::string& path)
{
    // A link could lead out of the chosen folder; it is never followed.
    if (MakeFolderOnTheWay(path, "") != EFolderState::kFolder)
        throw CFileException(CFileException::badPath, -1, path, "a file or link stands where a folder belongs");
}

} // namespace

SExtractDirsResult ExtractItemsWithFolders(CDATFileDoc& doc, const std::vector<const CDATItem*>& items,
                                           const std::string& chosen, const SExtractDirsOptions& options,
                                           CWnd* owner)
{
    SExtractDirsResult result;
    CUiServices& ui = doc.Context().Ui();
    std::string folder = chosen;
    if (folder.empty())
        throw CFileException(CFileException::badPath, -1, folder, "no folder was given");
    if (folder.back() != '/')
        folder += '/';

    CPlanner planner(doc, options);
    for (const CDATItem* item : items)
        planner.AddItem(item);
    planner.DropEmptyFolders();

    // An archive that cannot be read fails before any progress shows.
    CEntryFiles files(doc);
    std::unique_ptr<IProgress> progress;
    if (planner.m_nFiles >= options.m_nProgressFromFiles || planner.m_nBytes >= options.m_nProgressFromBytes)
        progress = ui.CreateProgress();
    if (progress) {
        progress->OpenModeless(nullptr);
        progress->SetWindowText(options.m_strProgressTitle);
        progress->SetBounds(1, std::int32_t(std::min<std::size_t>(planner.m_nFiles, INT32_MAX - 1)) + 1);
    }

    bool replaceAll = !options.m_bAsk;
    bool replaceNone = false;
    for (const SPlanned& planned : planner.m_plan) {
        const std::string path = folder + planned.m_strPath;
        if (!planned.m_pFile) {
            MakeFolder(path);
            if (planned.m_bTop)
                result.m_topLevel.push_back(path);
            continue;
        }
        if (progress && progress->PollCancel() &&
            ui.MessageBox(owner, DRAVIK_TR_NOOP("Core", "Прекратить?"), kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            result.m_bStopped = true;
            break;
        }
        if (progress) {
            progress->Advance();
            progress->SetStatusLine(path, false);
        }
        if (SomethingAt(path) && !replaceAll) {
            const int answer = replaceNone ? IDNO
                                           : ui.MessageBox(owner, ui.Text(DRAVIK_TR_NOOP("Core", "Файл %1 существует. Заменить его?"), {path}),
                                                           kCaption, MB_YESNOALLCANCEL | MB_ICONQUESTION);
            if (answer == IDCANCEL) {
                result.m_bStopped = true;
                break;
            }
            replaceAll = answer == IDYESTOALL;
            replaceNone = answer == IDNOTOALL;
            if (answer != IDYES && answer != IDYESTOALL) {
                if (planned.m_bTop)
                    result.m_topLevel.push_back(path);
                continue;
            }
        }
        // The write is atomic: a replaced file changes only once the new one
        // is complete, and a damaged entry leaves it as it was.
        int status = 0;
        try {
            if (options.m_write)
                status = options.m_write(files.For(*planned.m_pFile), *planned.m_pFile, path) ? 0 : -1;
            else
                status = Extract(files.For(*planned.m_pFile), *planned.m_pFile, path, SExtractOptions{}).m_nStatus;
        } catch (const CFileException& e) {
            if (e.m_side != CFileException::archiveSide)
                throw;
            status = -1;
        }
        if (status != 0) {
            result.m_damaged.push_back(planned.m_pFile->m_strName);
            continue;
        }
        ++result.m_nWritten;
        if (planned.m_bTop)
            result.m_topLevel.push_back(path);
    }
    return result;
}

SExtractDirsResult ExtractRowsWithFolders(CDATFileDoc& doc, const std::vector<int>& rows, CWnd* owner,
                                          std::string* folder, const SExtractDirsOptions& options)
{
    std::vector<const CDATItem*> items;
    for (int row : rows) {
        if (row < 0 || std::size_t(row) >= doc.m_listing.size())
            throw std::out_of_range("invalid vector<T> subscript");
        items.push_back(doc.m_listing[std::size_t(row)]);
    }
    folder->clear();
    const std::optional<std::string> chosen =
        doc.Context().Ui().BrowseForFolder(owner, options.m_strBrowseTitle);
    if (!chosen || chosen->empty())
        return {};
    *folder = *chosen;
    return ExtractItemsWithFolders(doc, items, *folder, options, owner);
}
