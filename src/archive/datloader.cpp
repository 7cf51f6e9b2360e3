// The loader: trailer and directory in one read each, parsed from memory into
// entries, folders and handlers, then the per-folder and per-type indexes.
#include "archive/datarchive.h"
#include "archive/dat1parser.h"
#include "archive/dirparser.h"
#include "archive/entryfeed.h"
#include "platform/apptitle.h"
#include "platform/exceptions.h"
#include "platform/uitext.h"
#include "platform/file.h"
#include "platform/uiservices.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>

class CDATLoader
{
public:
    explicit CDATLoader(CDATArchive& doc) : m_doc(doc) {}
    void Load(CFile& file);
    void LoadDat1(CFile& file);
    void LoadFeed(std::uint32_t count, const std::function<bool(SRawEntry&)>& next, const std::string& fileName);

private:
    void Begin(std::uint32_t count);
    // name must stay valid until the next entry is added (the folder chain looks back at it).
    void AddEntry(std::string_view name, std::uint32_t realSize, std::uint32_t offset, std::uint32_t packedSize,
                  EEntryStorage storage);
    void Finish();
    CDATFolder* FindOrAddFolder(std::string_view name, std::uint8_t depth, CDATFolder* parent);
    std::uint32_t TypeIndexFor(std::string_view extension);
    void BuildIndexes(const std::vector<std::uint32_t>& fileTypeIndex);

    CDATArchive& m_doc;
    std::string m_strFileName;
    std::vector<CDATFolder*> m_folderByIndex;
    std::vector<CDATFileType*> m_typeByIndex;
    std::map<std::string_view, std::uint32_t, NameLess> m_typeIndexByExtension;
    std::string_view m_lastExtension;
    std::uint32_t m_nLastType = UINT32_MAX;

    CStoredNames* m_pStored = nullptr;
    std::unique_ptr<IProgress> m_pProgress;
    // A dialog that refreshes on a timer is only visited when a refresh is
    // due; the entries in between are reported in one step.
    const std::atomic<bool>* m_pRefreshDue = nullptr;
    std::int32_t m_nUnreported = 0;
    std::vector<std::uint32_t> m_fileTypeIndex;
    // The previous entry's folder chain: entries of one folder usually stand
    // together, so most look-ups are skipped (ids are still consumed).
    std::string_view m_chainNames[kMaxBackslashes + 1];
    CDATFolder* m_chainFolders[kMaxBackslashes + 1];
    std::size_t m_nChainLength = 0;
    std::string_view m_lastFolderPart; // the previous entry's name up to its last backslash
    bool m_bPaletteFound = false;
};

CDATFolder* CDATLoader::FindOrAddFolder(std::string_view name, std::uint8_t depth, CDATFolder* parent)
{
    // Every folder component takes an id, new or not.
    std::uint32_t id = m_doc.m_nNextItemId++;
    SFolderKey key{depth, name, parent->m_nID};
    auto it = m_doc.m_folders.lower_bound(key);
    if (it != m_doc.m_folders.end() && !CFolderLess::Less(key, CFolderLess::Key(*it)))
        return const_cast<CDATFolder*>(&*it);
    it = m_doc.m_folders.emplace_hint(it, std::string(name), depth, parent, id);
    auto* folder = const_cast<CDATFolder*>(&*it);
    folder->m_nIndex = std::uint32_t(m_folderByIndex.size());
    m_folderByIndex.push_back(folder);
    return folder;
}

std::uint32_t CDATLoader::TypeIndexFor(std::string_view extension)
{
    // Same bytes as the previous entry's extension, the usual case, or equal but for case.
    if (m_nLastType != UINT32_MAX && extension.size() == m_lastExtension.size() &&
        (extension.empty() || std::memcmp(extension.data(), m_lastExtension.data(), extension.size()) == 0 ||
         EqualNames(extension, m_lastExtension)))
        return m_nLastType;
    auto it = m_typeIndexByExtension.find(extension);
    if (it != m_typeIndexByExtension.end()) {
        m_nLastType = it->second;
    } else {
        auto made = CreateFileType(extension);
        made->m_nID = m_doc.m_nNextItemId++;
        m_typeByIndex.push_back(made.get());
        m_doc.m_types.emplace(std::string(extension), std::move(made));
        m_nLastType = std::uint32_t(m_typeByIndex.size() - 1);
        m_typeIndexByExtension.emplace(extension, m_nLastType);
    }
    m_lastExtension = extension;
    return m_nLastType;
}

void CDATLoader::Begin(std::uint32_t count)
{
    if (m_doc.m_files.capacity() < count)
        m_doc.m_files.reserve(count);
    m_pStored = m_doc.m_pStoredNames;
    if (m_pStored)
        m_pStored->Reset(count);
    m_pProgress = m_doc.m_progressFactory ? m_doc.m_progressFactory() : nullptr;
    if (m_pProgress) {
        m_pProgress->OpenModeless(nullptr);
        m_pProgress->SetWindowText(DRAVIK_TR_NOOP("Core", "Загрузка..."));
        m_pProgress->SetBounds(1, std::int32_t(std::int64_t(count) + 1));
        m_pRefreshDue = m_pProgress->RefreshFlag();
    }
    m_fileTypeIndex.reserve(count);
}

void CDATLoader::AddEntry(std::string_view name, std::uint32_t realSize, std::uint32_t offset,
                          std::uint32_t packedSize, EEntryStorage storage)
{
    IProgress* progress = m_pProgress.get();
    const bool visit = progress && (!m_pRefreshDue || m_pRefreshDue->load(std::memory_order_relaxed));
    if (visit) {
        if (m_nUnreported) {
            progress->AdvanceBy(m_nUnreported);
            m_nUnreported = 0;
        }
        if (progress->PollCancel() &&
            UiServices().MessageBox(nullptr, DRAVIK_TR_NOOP("Core", "Canceled loading?"), g_szAppTitle, MB_YESNO | MB_ICONQUESTION) == IDYES)
            throw CArchiveException(CArchiveException::none, m_strFileName, "loading was cancelled");
        progress->SetStatusLine(name, true);
    }

    const std::size_t lastSlash = name.rfind('\\');
    const std::size_t start = lastSlash == std::string_view::npos ? 0 : lastSlash + 1;
    const std::string_view extension = EntryExtension(name);

    CDATFolder* current = &m_doc.m_rootFolder;
    std::uint8_t depth = 1;
    const std::string_view folderPart = name.substr(0, start);
    if (m_nChainLength != 0 && folderPart.size() == m_lastFolderPart.size() &&
        std::memcmp(folderPart.data(), m_lastFolderPart.data(), folderPart.size()) == 0) {
        // The same bytes as the previous entry's folders: its whole chain.
        m_doc.m_nNextItemId += std::uint32_t(m_nChainLength);
        current = m_chainFolders[m_nChainLength - 1];
        depth = std::uint8_t(m_nChainLength + 1);
    } else {
        std::size_t from = 0;
        bool sameChain = true;
        for (std::size_t slash; (slash = name.find('\\', from)) != std::string_view::npos; from = slash + 1) {
            std::string_view component = name.substr(from, slash - from);
            std::size_t j = depth - 1u;
            if (sameChain && j < m_nChainLength && EqualNames(component, m_chainNames[j])) {
                ++m_doc.m_nNextItemId;
                current = m_chainFolders[j];
            } else {
                sameChain = false;
                current = FindOrAddFolder(component, depth, current);
                m_chainFolders[j] = current;
            }
            m_chainNames[j] = component;
            ++depth;
        }
        m_nChainLength = depth - 1u;
        m_lastFolderPart = folderPart;
    }

    m_fileTypeIndex.push_back(TypeIndexFor(extension));
    CDATFileType* type = m_typeByIndex[m_fileTypeIndex.back()];
    CDATInternalFile& entry = m_doc.m_files.emplace_back(current, depth, std::string(name.substr(start)), realSize,
                                                         offset, packedSize, type);
    entry.m_storage = storage;
    if (!m_bPaletteFound && name.size() - start == 9 && EqualNames(entry.m_strName, "color.pal")) {
        m_doc.m_pPaletteEntry = &entry;
        m_bPaletteFound = true;
    }
    if (m_pStored)
        m_pStored->Add(name);
    if (visit)
        progress->Advance();
    else if (progress)
        ++m_nUnreported;
}

std::string_view EntryExtension(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    const std::size_t end = name.find('\\', dot + 1);
    return name.substr(dot + 1, end == std::string_view::npos ? std::string_view::npos : end - dot - 1);
}

void CDATLoader::Finish()
{
    if (m_nUnreported)
        m_pProgress->AdvanceBy(m_nUnreported);
    BuildIndexes(m_fileTypeIndex);
}

void CDATLoader::Load(CFile& file)
{
    m_strFileName = file.GetFilePath();
    // The whole directory in one read; the parser never looks past it.
    SDirectoryBytes dir = ReadDirectoryBytes(file);
    m_doc.m_dwDataSize = dir.m_trailer.m_dwDataSize;
    CDirectoryParser parser(dir.m_pData.get(), dir.m_nSize, m_strFileName);
    Begin(parser.GetCount());
    SRawEntry raw;
    while (parser.Next(raw))
        AddEntry(raw.m_name, raw.m_nRealSize, raw.m_nOffset, raw.m_nPackedSize, EEntryStorage::kBySizes);
    Finish();
    if (m_pStored)
        m_pStored->Keep(std::move(dir));
}

void CDATLoader::LoadDat1(CFile& file)
{
    m_strFileName = file.GetFilePath();
    const SDat1Directory dir = ReadDat1Directory(file);
    // The entries' paths, FOLDER\NAME, side by side in one block that outlives the load.
    std::size_t pathBytes = 0;
    for (const SDat1Entry& e : dir.m_entries)
        pathBytes += dir.PathLength(e);
    SDirectoryBytes paths;
    paths.m_nSize = pathBytes;
    paths.m_pData.reset(new unsigned char[pathBytes ? pathBytes : 1]);
    m_doc.m_dwDataSize = std::uint32_t(std::min<std::uint64_t>(file.GetLength(), UINT32_MAX));
    m_doc.m_nDatVersion = 1;
    Begin(std::uint32_t(dir.m_entries.size()));
    std::string path;
    auto* at = reinterpret_cast<char*>(paths.m_pData.get());
    for (const SDat1Entry& e : dir.m_entries) {
        path.clear();
        dir.AppendPath(e, path);
        std::memcpy(at, path.data(), path.size());
        const std::string_view name(at, path.size());
        at += path.size();
        // A stored entry's packed field is 0 in the game's own archives: what
        // is read, and shown as packed, is its real size.
        if (e.m_nAttributes == kDat1Stored)
            AddEntry(name, e.m_nRealSize, e.m_nOffset, e.m_nRealSize, EEntryStorage::kStored);
        else
            AddEntry(name, e.m_nRealSize, e.m_nOffset, e.m_nPackedSize,
                     e.m_nAttributes == kDat1Blocks ? EEntryStorage::kLzssBlocks : EEntryStorage::kLzssStream);
    }
    Finish();
    if (m_pStored)
        m_pStored->Keep(std::move(paths));
}

void CDATLoader::LoadFeed(std::uint32_t count, const std::function<bool(SRawEntry&)>& next,
                          const std::string& fileName)
{
    m_strFileName = fileName;
    Begin(count);
    SRawEntry raw;
    while (next(raw))
        AddEntry(raw.m_name, raw.m_nRealSize, raw.m_nOffset, raw.m_nPackedSize, raw.m_storage);
    Finish();
}

void CDATLoader::BuildIndexes(const std::vector<std::uint32_t>& fileTypeIndex)
{
    CDATArchive::SIndex& index = m_doc.m_index;
    const std::size_t folderCount = m_folderByIndex.size();
    const std::size_t fileCount = m_doc.m_files.size();
    auto slotOf = [folderCount](const CDATFolder* folder) {
        return folder->IsRoot() ? folderCount : std::size_t(folder->m_nIndex);
    };

    // Counting sort of the files by folder, keeping directory order within one.
    index.m_folderFileStart.assign(folderCount + 2, 0);
    for (const CDATInternalFile& f : m_doc.m_files)
        ++index.m_folderFileStart[slotOf(f.m_pParent) + 1];
    for (std::size_t i = 1; i < index.m_folderFileStart.size(); ++i)
        index.m_folderFileStart[i] += index.m_folderFileStart[i - 1];
    index.m_folderFiles.resize(fileCount);
    {
        std::vector<std::uint32_t> next(index.m_folderFileStart.begin(), index.m_folderFileStart.end() - 1);
        for (std::uint32_t i = 0; i < fileCount; ++i)
            index.m_folderFiles[next[slotOf(m_doc.m_files[i].m_pParent)]++] = i;
    }

    // Subfolders of each folder, in the set's order.
    index.m_folderChildStart.assign(folderCount + 2, 0);
    for (const CDATFolder& f : m_doc.m_folders)
        ++index.m_folderChildStart[slotOf(f.m_pParent) + 1];
    for (std::size_t i = 1; i < index.m_folderChildStart.size(); ++i)
        index.m_folderChildStart[i] += index.m_folderChildStart[i - 1];
    index.m_folderChildren.resize(folderCount);
    {
        std::vector<std::uint32_t> next(index.m_folderChildStart.begin(), index.m_folderChildStart.end() - 1);
        for (const CDATFolder& f : m_doc.m_folders)
            index.m_folderChildren[next[slotOf(f.m_pParent)]++] = &f;
    }

    // Files of each type, in directory order.
    const std::size_t typeCount = m_typeByIndex.size();
    index.m_typeByIndex.assign(m_typeByIndex.begin(), m_typeByIndex.end());
    index.m_typeFileStart.assign(typeCount + 1, 0);
    for (std::uint32_t t : fileTypeIndex)
        ++index.m_typeFileStart[t + 1];
    for (std::size_t i = 1; i < index.m_typeFileStart.size(); ++i)
        index.m_typeFileStart[i] += index.m_typeFileStart[i - 1];
    index.m_typeFiles.resize(fileCount);
    {
        std::vector<std::uint32_t> next(index.m_typeFileStart.begin(), index.m_typeFileStart.end() - 1);
        for (std::uint32_t i = 0; i < fileCount; ++i)
            index.m_typeFiles[next[fileTypeIndex[i]]++] = i;
    }
}

void CDATArchive::Serialize(CFile& file)
{
    // A file that reads as the second game's archive is one; only what does
    // not is tried as the first game's, and if that fails too the second
    // game's complaint stands.
    m_nDatVersion = 2;
    try {
        CDATLoader(*this).Load(file);
    } catch (const CArchiveException& e) {
        if (e.m_cause != CArchiveException::badIndex || !TryFirstGameArchive(file))
            throw;
    } catch (const CFileException&) {
        if (!TryFirstGameArchive(file))
            throw;
    }
}

void LoadEntries(CDATArchive& archive, std::uint32_t count, const std::function<bool(SRawEntry&)>& next,
                 std::uint32_t dataSize, const std::string& fileName)
{
    archive.m_dwDataSize = dataSize;
    CDATLoader(archive).LoadFeed(count, next, fileName);
}

bool CDATArchive::TryFirstGameArchive(CFile& file)
{
    std::string path = std::move(m_strArchivePath);
    Clear();
    m_strArchivePath = std::move(path);
    try {
        CDATLoader(*this).LoadDat1(file);
        return true;
    } catch (const CException& e) {
        const auto* archive = dynamic_cast<const CArchiveException*>(&e);
        if (archive && archive->m_cause == CArchiveException::none)
            throw; // cancelled
        path = std::move(m_strArchivePath);
        Clear();
        m_strArchivePath = std::move(path);
        return false;
    }
}
