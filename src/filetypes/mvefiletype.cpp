#include "filetypes/mvefiletype.h"

#include "archive/archivecontext.h"
#include "archive/extract.h"
#include "filetypes/cachepath.h"
#include "archive/filenames.h"
#include "filetypes/imagefiletype.h"
#include "filetypes/mediapreviews.h"
#include "filetypes/previews.h"
#include "media.h"
#include "platform/atomicfile.h"
#include "platform/cdc.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "platform/uitext.h"
#include "platform/file.h"
#include "platform/uiservices.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kUnpackQuestion = DRAVIK_TR_NOOP("Core", "Для распаковки потребуется время. Продолжать?");

bool Exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::unique_ptr<IProgress> OpenProgress(CUiServices& ui, CWnd* wnd, const std::string& statusLine)
{
    std::unique_ptr<IProgress> progress = ui.CreateProgress();
    if (progress) {
        progress->OpenModeless(wnd);
        progress->SetWindowText(DRAVIK_TR_NOOP("Core", "Распаковка..."));
        progress->SetStatusLine(statusLine, false);
        progress->SetBounds(1, 5);
    }
    return progress;
}

// Removes the packed copy when it goes, unless kept.
struct SScratch
{
    std::string path;
    bool kept = false;
    ~SScratch()
    {
        if (!kept)
            ::unlink(path.c_str());
    }
    bool Keep()
    {
        kept = true;
        return false;
    }
};

// Folders and name as the sound rule reads them.
std::string EntryPathOf(const CDATInternalFile& item)
{
    std::string path = item.m_strName;
    for (const CDATFolder* f = item.m_pParent; f && !f->IsRoot(); f = f->m_pParent)
        path = f->m_strName + "\\" + path;
    return path;
}

} // namespace

std::unique_ptr<CPreview> CDAT_MVE_FileType::MakePreview(const SPreviewRequest& request) const
{
    return MakeMoviePreview(request, UiServices().Translate(DRAVIK_TR_NOOP("Core", "Для просмотра кина выберите в сплывающем меню: 'Открыть'")));
}

bool CDAT_MVE_FileType::BuildMovieExe(const SArchiveContext& context, const std::string& exePath,
                                      CDATInternalFile* item, CWnd* wnd, bool ownScratch)
{
    // The packed copy is written over and removed later: a file of that name
    // that is not ours would be lost, so it is refused instead.
    const std::string tempPath = exePath + ".tmp";
    struct stat st;
    if (!ownScratch && ::lstat(tempPath.c_str(), &st) == 0)
        throw CFileException(CFileException::accessDenied, -1, tempPath,
                             "a file of this name is in the way of the packed copy of the movie");
    if (context.Ui().MessageBox(wnd, kUnpackQuestion, DRAVIK_TR_NOOP("Core", "Предупреждение"), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    std::unique_ptr<IProgress> progress = OpenProgress(context.Ui(), wnd, exePath);
    const std::string archivePath = context.EntryFile(*item);
    CFile archive(archivePath, CFile::modeRead);
    // Cancel is looked at between the steps only; a step once begun finishes.
    auto nextStep = [&progress] {
        if (!progress)
            return true;
        if (progress->PollCancel())
            return false;
        progress->Advance();
        return true;
    };
    if (!nextStep())
        return false;
    // A cancel keeps the finished steps; any failure removes the packed copy.
    SScratch scratch{tempPath};
    CopyEntryBytes(archive, *item, tempPath);
    if (!nextStep())
        return scratch.Keep();
    // A damaged movie is not left behind as if it were good, and a file the
    // user agreed to replace stays as it was.
    const int status = ExtractMovieWithPlayer(tempPath, exePath, *item, /*keepDamaged=*/false);
    if (!nextStep())
        return scratch.Keep();
    ThrowIfDamaged(status, *item, archivePath);
    return nextStep();
}

void CDAT_MVE_FileType::Open(const SArchiveContext& archive, CDATInternalFile* item, CWnd* wnd)
{
    // A movie file deleted since it was made is made again.
    if (item->m_strCachePath.empty() || !Exists(item->m_strCachePath)) {
        item->m_strCachePath.clear();
        const std::string path = CacheFileFor(archive, *item, ".exe");
        if (!Exists(path) && !BuildMovieExe(archive, path, item, wnd, /*ownScratch=*/true))
            return;
        // Remembered only once the movie file is complete.
        item->m_strCachePath = path;
    }
    std::string error;
    if (!archive.Ui().StartProgram(wnd, item->m_strCachePath, &error))
        ReportOpenFailure(archive.Ui(), wnd, error);
}

void CDAT_MVE_FileType::SaveAs(const SArchiveContext& archive, CDATInternalFile* item, CWnd* parent)
{
    const std::string filter =
        DecodeToUtf8(m_strDescription) + "|*." + DecodeToUtf8(m_strExtension) + "|EXE files (*.exe)|*.exe||";
    auto chosen = archive.Ui().GetSaveFileName(parent, filter, EntryNameForDisk(item->m_strName));
    if (!chosen)
        return;
    if (chosen->m_nFilterIndex == 2) {
        BuildMovieExe(archive, chosen->m_strPath, item, parent);
        return;
    }
    if (archive.Ui().MessageBox(parent, kUnpackQuestion, DRAVIK_TR_NOOP("Core", "Предупреждение"), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    std::unique_ptr<IProgress> progress = OpenProgress(archive.Ui(), parent, chosen->m_strPath);
    const std::string archivePath = archive.EntryFile(*item);
    CFile archiveFile(archivePath, CFile::modeRead);
    if (progress)
        progress->Advance();
    const int status = Extract(archiveFile, *item, chosen->m_strPath, {.m_whole = EWholeEntry::kMapped}).m_nStatus;
    if (progress)
        progress->Advance();
    ThrowIfDamaged(status, *item, archivePath);
}

std::unique_ptr<CPreview> CDAT_ACM_FileType::MakePreview(const SPreviewRequest& request) const
{
    return MakeSoundPreview(request);
}

void CDAT_ACM_FileType::SaveAs(const SArchiveContext& archive, CDATInternalFile* item, CWnd* parent)
{
    const std::string filter = DecodeToUtf8(m_strDescription) + "|*." + DecodeToUtf8(m_strExtension) +
                               "|WAV files (*.wav)|*.wav||";
    auto chosen = archive.Ui().GetSaveFileName(parent, filter, EntryNameForDisk(item->m_strName));
    if (!chosen)
        return;
    const std::string archivePath = archive.EntryFile(*item);
    CFile archiveFile(archivePath, CFile::modeRead);
    if (chosen->m_nFilterIndex != 2) {
        const int status = Extract(archiveFile, *item, chosen->m_strPath, {.m_whole = EWholeEntry::kMapped}).m_nStatus;
        ThrowIfDamaged(status, *item, archivePath);
        return;
    }
    const std::string wav = AcmEntryToWav(ReadEntryData(archiveFile, *item), EntryPathOf(*item));
    WriteFileAtomically(chosen->m_strPath, wav.data(), wav.size());
}

std::string AcmEntryToWav(const std::string& bytes, const std::string& entryPath)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    try {
        const SSoundFacts header = AcmFacts(data, bytes.size(), 0);
        return WavBytes(DecodeAcm(data, bytes.size(), AcmChannels(entryPath, header.m_nChannels, header.m_nRate)));
    } catch (const CMediaError& e) {
        throw CFileException(CFileException::invalidFile, -1, entryPath, std::string("the sound is damaged: ") + e.what());
    }
}
