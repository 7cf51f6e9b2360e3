#include "views/copyto.h"

#include "archive/datfiledoc.h"
#include "archive/extract.h"
#include "archive/filenames.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/uiservices.h"

#include <stdexcept>
#include <sys/stat.h>

namespace {

const char* const kCaption = DRAVIK_TR_NOOP("Core", "Предупреждение");

CDATItem* ListingAt(const CDATFileDoc& doc, int row)
{
    if (row < 0 || std::size_t(row) >= doc.m_listing.size())
        throw std::out_of_range("invalid vector<T> subscript");
    return doc.m_listing[std::size_t(row)];
}

// lstat: a dangling symbolic link is something that would be replaced too.
bool SomethingAt(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

SCopyResult CopySelectedFiles(CDATFileDoc& doc, const std::vector<int>& rows, CWnd* owner)
{
    SCopyResult result;
    CUiServices& ui = doc.Context().Ui();
    const std::optional<std::string> chosen = ui.BrowseForFolder(owner, DRAVIK_TR_NOOP("Core", "Сохранение выбранных элементов"));
    if (!chosen || chosen->empty())
        return result;
    std::string folder = *chosen;
    if (folder.back() != '/')
        folder += '/';

    // An archive that cannot be read fails before any progress shows.
    CEntryFiles files(doc);
    std::unique_ptr<IProgress> progress = ui.CreateProgress();
    if (progress) {
        progress->OpenModeless(nullptr);
        progress->SetWindowText(DRAVIK_TR_NOOP("Core", "Копирование..."));
        progress->SetBounds(1, std::int32_t(rows.size()) + 1);
    }

    for (int row : rows) {
        if (progress && progress->PollCancel() &&
            ui.MessageBox(owner, DRAVIK_TR_NOOP("Core", "Прекратить?"), kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
            result.m_bStopped = true;
            break;
        }
        if (progress)
            progress->Advance();
        auto* file = dynamic_cast<CDATInternalFile*>(ListingAt(doc, row));
        if (!file)
            continue; // folders are neither copied nor entered
        const std::string path = folder + EntryNameForDisk(file->m_strName);
        if (progress)
            progress->SetStatusLine(path, false);
        if (SomethingAt(path) &&
            ui.MessageBox(owner, ui.Text(DRAVIK_TR_NOOP("Core", "Файл %1 существует. Заменить его?"), {path}), kCaption,
                                    MB_YESNO | MB_ICONQUESTION) != IDYES)
            continue;
        // The write is atomic: a Yes replaces the old file only once the new
        // one is complete, and a damaged entry leaves it as it was.
        int status = 0;
        try {
            status = Extract(files.For(*file), *file, path, SExtractOptions{}).m_nStatus;
        } catch (const CFileException& e) {
            // Bytes beyond the archive's end are the entry's damage; anything
            // on the destination side ends the run.
            if (e.m_side != CFileException::archiveSide)
                throw;
            status = -1;
        }
        if (status != 0)
            result.m_damaged.push_back(file->m_strName);
        else
            ++result.m_nWritten;
    }
    return result;
}
