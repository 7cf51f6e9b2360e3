#pragma once
// An archive's model: entries, folders under one root, file types, the
// palette entry and the indexes the listings use. Each archive numbers its
// folders and types itself, so several can be open in one process.
#include "archive/datitem.h"
#include "archive/namecompare.h"
#include "archive/datfiletype.h"
#include "platform/progress.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class CFile;
class CStoredNames;
struct SDirectoryBytes;

// Icon indices, the same in the large and the small image list.
enum EItemImage : int {
    kImageUnknown = 0,
    kImageFolder = 1,
    kImageFolderSelected = 2,
    kImageFrm = 3,
    kImageText = 4,
    kImageMve = 5,
    kImageAcm = 6,
    kImageRoot = 7,
    kImageUnused = 8,
    kImageRootSelected = 9,
    kImageRix = 10,
};

// Folders are keyed by depth, name (letter case ignored) and parent, so that
// ART\ITEMS and PROTO\ITEMS stay two folders; parents still sort before children.
struct SFolderKey
{
    std::uint8_t m_nDepth;
    std::string_view m_name;
    std::uint32_t m_nParentId;
};

struct CFolderLess
{
    using is_transparent = void;
    static SFolderKey Key(const CDATFolder& f) { return {f.m_nDepth, f.m_strName, f.m_pParent->m_nID}; }
    static const SFolderKey& Key(const SFolderKey& k) { return k; }
    template <class A, class B>
    bool operator()(const A& a, const B& b) const
    {
        return Less(Key(a), Key(b));
    }
    static bool Less(const SFolderKey& a, const SFolderKey& b)
    {
        if (a.m_nDepth != b.m_nDepth)
            return a.m_nDepth < b.m_nDepth;
        int c = CompareNames(a.m_name, b.m_name);
        if (c != 0)
            return c < 0;
        return a.m_nParentId < b.m_nParentId;
    }
};

// The file chosen holds no bytes at all.
struct CEmptyArchiveError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

class CDATArchive
{
public:
    CDATArchive();
    virtual ~CDATArchive();
    CDATArchive(const CDATArchive&) = delete;
    CDATArchive& operator=(const CDATArchive&) = delete;

    // Forgets every entry; ids start again at 1 (the root holds 0).
    void Clear();
    // The loader: reads the directory of an open archive file, the second
    // game's (trailer at the end) or, when the file is not one, the first game's.
    void Serialize(CFile& file);
    // Loads path into a second archive and, only when that succeeds, takes its
    // contents; a failure raises and leaves this archive as it was. A file of
    // length 0 raises CEmptyArchiveError.
    void LoadKeepingOnFailure(const std::string& path);
    // The same from a directory already in memory (count field and entries);
    // fileName names it in errors.
    void LoadDirectory(SDirectoryBytes&& directory, const std::string& fileName);

    // The entry of that name (letter case ignored), else the palette entry.
    CDATInternalFile* FindEntry(std::string_view name);
    const CDATInternalFile* FindEntry(std::string_view name) const;
    bool IsLoaded() const { return m_dwDataSize != 0; }
    // The absolute path of the archive file; empty when none is open.
    const std::string& ArchivePath() const { return m_strArchivePath; }
    // The file that holds entry's bytes: the archive itself, or for a merged
    // set of sources the winning copy's archive or loose file.
    virtual std::string EntryFile(const CDATInternalFile& entry) const;

    // The loader also records every entry's name as stored in names (the
    // command line's), for loads while names lives; nullptr stops it.
    void KeepStoredNames(CStoredNames* names) { m_pStoredNames = names; }

    // Where the loader gets its progress dialog; none by default.
    void SetProgressFactory(ProgressFactory factory) { m_progressFactory = std::move(factory); }

    CDATFolder m_rootFolder;
    std::uint32_t m_nNextItemId = 1;
    std::vector<CDATInternalFile> m_files;
    std::set<CDATFolder, CFolderLess> m_folders;
    std::map<std::string, std::shared_ptr<CDATFileType>, NameLess> m_types;
    std::uint32_t m_dwDataSize = 0; // the first game's archives: the file's length
    CDATInternalFile* m_pPaletteEntry = nullptr;
    int m_nDatVersion = 0; // which game's archive is loaded: 1 or 2

    // Indexes built once per load: the files of each folder wherever they stand
    // in the directory, each folder's subfolders in set order, each type's files.
    struct SIndex
    {
        std::vector<std::uint32_t> m_folderFiles;      // file indices grouped by folder
        std::vector<std::uint32_t> m_folderFileStart;  // per folder index, root last; one extra end slot
        std::vector<const CDATFolder*> m_folderChildren;
        std::vector<std::uint32_t> m_folderChildStart;
        std::vector<std::uint32_t> m_typeFiles;        // file indices grouped by type
        std::vector<std::uint32_t> m_typeFileStart;
        std::vector<const CDATFileType*> m_typeByIndex; // creation order
        void Clear();
    };
    SIndex m_index;

protected:
    std::string m_strArchivePath;

private:
    friend class CDATLoader;
    void SwapContents(CDATArchive& other);
    // The file as the first game's archive; false (and nothing loaded) when it is not one.
    bool TryFirstGameArchive(CFile& file);
    ProgressFactory m_progressFactory;
    CStoredNames* m_pStoredNames = nullptr;
};
