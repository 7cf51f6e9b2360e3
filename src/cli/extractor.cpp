#include "cli/extractor.h"

#include "archive/datitem.h"
#include "archive/destnames.h"
#include "archive/entrypaths.h"
#include "archive/extract.h"
#include "archive/namecompare.h"
#include "platform/exceptions.h"

#include <sys/stat.h>
#include <zlib.h>

namespace {

void ReportTo(std::string& sink, std::string_view text)
{
    sink += "dravik-cli: ";
    sink += text;
    sink += '\n';
}

std::string Quoted(const std::string& s)
{
    return "'" + s + "'";
}

void Decide(SExtractJob& job, EOutcome outcome)
{
    job.m_outcome = outcome;
    job.m_bReady = false;
}

} // namespace

CExtractor::CExtractor(CFile& archive, std::string outDir, bool keepDamaged, bool outDirMade)
    : m_archive(archive), m_strBase(std::move(outDir)), m_bKeepDamaged(keepDamaged)
{
    m_verified.emplace("", outDirMade);
    if (m_strBase.back() != '/')
        m_strBase += '/';
    struct stat st;
    if (archive.IsOpen() && ::fstat(archive.GetHandle(), &st) == 0)
        m_protected.emplace_back(st.st_dev, st.st_ino);
}

void CExtractor::Protect(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        m_protected.emplace_back(st.st_dev, st.st_ino);
}

const std::string& CExtractor::SourceOf(const SExtractJob& job) const
{
    return job.m_strSourcePath.empty() ? m_archive.GetFilePath() : job.m_strSourcePath;
}

void CExtractor::Prepare(SExtractJob& job)
{
    Guarded(job, [&] { PrepareChecked(job); });
}

void CExtractor::Write(SExtractJob& job, CFile& archive)
{
    Guarded(job, [&] { WriteChecked(job, archive); });
}

bool CExtractor::Clashes(const SExtractJob& job, const std::unordered_set<std::string>& targets, std::string& key)
{
    LoadFolders(job.m_folders);
    bool clash = false;
    for (const std::string& folder : m_folderKeys)
        clash = clash || targets.count(folder) != 0;
    key = m_strFolderKeyPrefix;
    for (char c : job.m_name)
        key += char(FoldAscii(static_cast<unsigned char>(c)));
    return clash || targets.count(key) != 0;
}

template <class F>
void CExtractor::Guarded(SExtractJob& job, F&& body)
{
    try {
        body();
    } catch (const CFileException& e) {
        if (e.m_side == CFileException::archiveSide) {
            ReportTo(job.m_strReport, "entry " + Quoted(job.m_strDisplayPath) + ": " + DescribeException(e));
            Decide(job, EOutcome::kEntryFailed);
            return;
        }
        // The output side failed: later entries would most likely fail too.
        ReportTo(job.m_strReport, DescribeException(e) + " (while extracting " + Quoted(job.m_strDisplayPath) +
                                      "; extraction stopped)");
        Decide(job, EOutcome::kStop);
    } catch (const std::exception& e) {
        ReportTo(job.m_strReport, SourceOf(job) + ": entry " + Quoted(job.m_strDisplayPath) + ": " + DescribeException(e));
        Decide(job, EOutcome::kEntryFailed);
    }
}

void CExtractor::Refuse(SExtractJob& job, const std::string& why)
{
    ReportTo(job.m_strReport, SourceOf(job) + ": entry " + Quoted(job.m_strDisplayPath) + " refused: " + why);
    Decide(job, EOutcome::kEntryFailed);
}

void CExtractor::PrepareChecked(SExtractJob& job)
{
    // Entries of one folder stand together: its names are split, checked
    // and its folders verified once, for the first of them.
    LoadFolders(job.m_folders);
    const bool checked = m_bChecked;
    std::size_t total = m_strBase.size();
    for (const std::string& c : m_folders) {
        if (const char* problem = checked ? nullptr : RefusedComponent(c))
            return Refuse(job, problem);
        total += c.size() + 1;
    }
    if (const char* problem = RefusedComponent(job.m_name))
        return Refuse(job, problem);
    total += job.m_name.size() + 1;
    if (PathTooLong(total))
        return Refuse(job, "the path would be too long");

    // Every folder on the way must be a real folder: a symbolic link, even
    // one that was there before, could lead out of the output folder.
    std::string rel;
    bool fresh = m_verified[""];
    for (std::size_t k = 0; k < m_folders.size(); ++k) {
        if (checked) {
            rel = m_strCheckedRel;
            fresh = m_bCheckedFresh;
            break;
        }
        rel += m_folders[k];
        auto known = m_verified.find(rel);
        if (known == m_verified.end()) {
            const std::string full = m_strBase + rel;
            bool made = false;
            const EFolderState state = MakeFolderOnTheWay(full, "the folder could not be created", &made);
            if (state == EFolderState::kLink)
                return Refuse(job, "folder " + Quoted(full) + " is a symbolic link");
            if (state != EFolderState::kFolder)
                return Refuse(job, Quoted(full) + " exists and is not a folder");
            known = m_verified.emplace(rel, made).first;
        }
        fresh = known->second;
        rel += '/';
    }
    m_bChecked = true;
    m_strCheckedRel = rel;
    m_bCheckedFresh = fresh;
    rel += job.m_name;
    job.m_strTarget = m_strBase + rel;
    job.m_place = fresh ? CAtomicFile::EPlace::kFreshFolder : CAtomicFile::EPlace::kAnyFolder;

    // The file itself is replaced by a rename, so a link there is replaced,
    // not followed; a folder or the archive being read is not replaced. In a
    // folder this run made, only what the run made can be in the way.
    if (fresh) {
        if (m_verified.count(rel))
            return Refuse(job, "a folder " + Quoted(job.m_strTarget) + " is in the way");
    } else if (struct stat st; ::lstat(job.m_strTarget.c_str(), &st) == 0) {
        job.m_place = CAtomicFile::EPlace::kOccupied;
        if (S_ISDIR(st.st_mode))
            return Refuse(job, "a folder " + Quoted(job.m_strTarget) + " is in the way");
        for (const auto& [dev, ino] : m_protected)
            if (st.st_dev == dev && st.st_ino == ino)
                return Refuse(job, Quoted(job.m_strTarget) + " is the archive being read");
    }
    job.m_bReady = true;
}

void CExtractor::WriteChecked(SExtractJob& job, CFile& archive)
{
    // Streamed: a damaged entry's bytes are kept only on request, never padded.
    const CDATInternalFile& entry = *job.m_pEntry;
    const std::string& target = job.m_strTarget;
    job.m_bReady = false;
    CFile own;
    if (!job.m_strSourcePath.empty()) {
        try {
            own.Open(job.m_strSourcePath, CFile::modeRead);
        } catch (CFileException& e) {
            e.m_side = CFileException::archiveSide;
            throw;
        }
        return WriteChecked(job, own, entry, target);
    }
    WriteChecked(job, archive, entry, target);
}

void CExtractor::WriteChecked(SExtractJob& job, CFile& archive, const CDATInternalFile& entry,
                              const std::string& target)
{
    const SExtractResult result = Extract(archive, entry, target, {.m_bKeepDamaged = m_bKeepDamaged,
                                           .m_bPad = false,
                                           .m_place = job.m_place});
    if (result.Ok()) {
        job.m_outcome = EOutcome::kDone;
        return;
    }
    const int status = result.m_nStatus;
    const std::string kept = m_bKeepDamaged ? Quoted(target) + " keeps the " + std::to_string(result.m_nStreamed) +
                                                  " of " + std::to_string(entry.m_nRealSize) + " bytes that unpacked"
                                            : "nothing was written to " + Quoted(target);
    ReportTo(job.m_strReport, archive.GetFilePath() + ": entry " + Quoted(job.m_strDisplayPath) + " is damaged (" +
                                  zError(status) + ", zlib status " + std::to_string(status) + "); " + kept);
    job.m_outcome = EOutcome::kEntryFailed;
}

void CExtractor::LoadFolders(std::string_view folders)
{
    if (m_bFoldersLoaded && folders == m_strFoldersOf)
        return;
    m_bFoldersLoaded = true;
    m_strFoldersOf.assign(folders);
    m_bChecked = false;
    SplitStoredFolders(folders, m_folders);
    m_folderKeys.clear();
    m_strFolderKeyPrefix.clear();
    for (const std::string& c : m_folders) {
        for (char ch : c)
            m_strFolderKeyPrefix += char(FoldAscii(static_cast<unsigned char>(ch)));
        m_folderKeys.push_back(m_strFolderKeyPrefix);
        m_strFolderKeyPrefix += '/';
    }
}
