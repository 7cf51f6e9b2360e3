// The loader: trailer and directory in one read each, parsed from memory into
// entries, folders and handlers, then the per-folder and per-type indexes.
#include "archive/datarchive.h"
#include "archive/dirparser.h"
#include "platform/apptitle.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/uiservices.h"

#include <cstring>
#include <map>
#include <memory>

class CDATLoader
{
public:
    explicit CDATLoader(CDATArchive& doc) : m_doc(doc) {}
    void Load(CFile& file);

private:
    CDATFolder* FindOrAddFolder(std::string_view name, std::uint8_t depth, CDATFolder* parent);
    std::uint32_t TypeIndexFor(std::string_view extension);
    void BuildIndexes(const std::vector<std::uint32_t>& fileTypeIndex);

    CDATArchive& m_doc;
    std::vector<CDATFolder*> m_folderByIndex;
    std::vector<CDATFileType*> m_typeByIndex;
    std::map<std::string_view, std::uint32_t, NameLess> m_typeIndexByExtension;
    std::string_view m_lastExtension;
    std::uint32_t m_nLastType = UINT32_MAX;
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

void CDATLoader::Load(CFile& file)
{
    const std::string& fileName = file.GetFilePath();
    // The whole directory in one read; the parser never looks past it.
    SDirectoryBytes dir = ReadDirectoryBytes(file);
    m_doc.m_dwDataSize = dir.m_trailer.m_dwDataSize;
    CDirectoryParser parser(dir.m_pData.get(), dir.m_nSize, fileName);
    const std::uint32_t count = parser.GetCount();

    if (m_doc.m_files.capacity() < count)
        m_doc.m_files.reserve(count);
    CStoredNames* stored = m_doc.m_pStoredNames;
    if (stored)
        stored->Reset(count);

    std::unique_ptr<IProgress> progress = m_doc.m_progressFactory ? m_doc.m_progressFactory() : nullptr;
    if (progress) {
        progress->OpenModeless(nullptr);
        progress->SetWindowText(DRAVIK_TR_NOOP("Core", "Загрузка..."));
        progress->SetBounds(1, std::int32_t(std::int64_t(count) + 1));
    }

    std::vector<std::uint32_t> fileTypeIndex;
    fileTypeIndex.reserve(count);
    // The previous entry's folder chain: entries of one folder usually stand
    // together, so most look-ups are skipped (ids are still consumed).
    std::string_view chainNames[kMaxBackslashes + 1];
    CDATFolder* chainFolders[kMaxBackslashes + 1];
    std::size_t chainLength = 0;
    std::string_view lastFolderPart; // the previous entry's name up to its last backslash
    bool paletteFound = false;

    // A dialog that refreshes on a timer is only visited when a refresh is
    // due; the entries in between are reported in one step.
    const std::atomic<bool>* refreshDue = progress ? progress->RefreshFlag() : nullptr;
    std::int32_t unreported = 0;

    SRawEntry raw;
    while (parser.Next(raw)) {
        const bool visit = progress && (!refreshDue || refreshDue->load(std::memory_order_relaxed));
        if (visit) {
            if (unreported) {
                progress->AdvanceBy(unreported);
                unreported = 0;
            }
            if (progress->PollCancel() &&
                UiServices().MessageBox(nullptr, DRAVIK_TR_NOOP("Core", "Canceled loading?"), g_szAppTitle, MB_YESNO | MB_ICONQUESTION) ==
                    IDYES)
                throw CArchiveException(CArchiveException::none, fileName, "loading was cancelled");
            progress->SetStatusLine(raw.m_name, true);
        }

        std::string_view name = raw.m_name;
        const std::size_t lastSlash = name.rfind('\\');
        const std::size_t start = lastSlash == std::string_view::npos ? 0 : lastSlash + 1;
        // The extension: after the last '.' anywhere, up to the next backslash.
        std::string_view extension;
        std::size_t dot = name.rfind('.');
        if (dot != std::string_view::npos) {
            std::size_t end = dot >= start ? std::string_view::npos : name.find('\\', dot + 1);
            extension = name.substr(dot + 1, end == std::string_view::npos ? std::string_view::npos : end - dot - 1);
        }

        CDATFolder* current = &m_doc.m_rootFolder;
        std::uint8_t depth = 1;
        const std::string_view folderPart = name.substr(0, start);
        if (chainLength != 0 && folderPart.size() == lastFolderPart.size() &&
            std::memcmp(folderPart.data(), lastFolderPart.data(), folderPart.size()) == 0) {
            // The same bytes as the previous entry's folders: its whole chain.
            m_doc.m_nNextItemId += std::uint32_t(chainLength);
            current = chainFolders[chainLength - 1];
            depth = std::uint8_t(chainLength + 1);
        } else {
            std::size_t from = 0;
            bool sameChain = true;
            for (std::size_t slash; (slash = name.find('\\', from)) != std::string_view::npos; from = slash + 1) {
                std::string_view component = name.substr(from, slash - from);
                std::size_t j = depth - 1u;
                if (sameChain && j < chainLength && EqualNames(component, chainNames[j])) {
                    ++m_doc.m_nNextItemId;
                    current = chainFolders[j];
                } else {
                    sameChain = false;
                    current = FindOrAddFolder(component, depth, current);
                    chainFolders[j] = current;
                }
                chainNames[j] = component;
                ++depth;
            }
            chainLength = depth - 1u;
            lastFolderPart = folderPart;
        }

        fileTypeIndex.push_back(TypeIndexFor(extension));
        CDATFileType* type = m_typeByIndex[fileTypeIndex.back()];
        m_doc.m_files.emplace_back(current, depth, std::string(name.substr(start)), raw.m_nRealSize, raw.m_nOffset,
                                   raw.m_nPackedSize, type);
        if (!paletteFound && name.size() - start == 9 && EqualNames(m_doc.m_files.back().m_strName, "color.pal")) {
            m_doc.m_pPaletteEntry = &m_doc.m_files.back();
            paletteFound = true;
        }
        if (stored)
            stored->Add(name);
        if (visit)
            progress->Advance();
        else if (progress)
            ++unreported;
    }
    if (unreported)
        progress->AdvanceBy(unreported);
    BuildIndexes(fileTypeIndex);
    if (stored)
        stored->Keep(std::move(dir));
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
    CDATLoader loader(*this);
    loader.Load(file);
}
