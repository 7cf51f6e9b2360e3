#pragma once
// The one open archive: entries, folders, file-type handlers, the listing the
// file pane shows, the view mode and the cache folder.
#include "archive/datitem.h"
#include "archive/document.h"
#include "archive/namecompare.h"
#include "filetypes/datfiletype.h"
#include "platform/progress.h"
#include "shell/cashpath.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

class CFile;
class CStoredNames;

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

class CDATFileDoc : public CDocument
{
public:
    // useProfile: read and store the cache folder setting (the application);
    // the command line and tools go without.
    explicit CDATFileDoc(bool useProfile = true);
    ~CDATFileDoc() override;

    void DeleteContents() override;
    bool OnOpenDocument(const std::string& path) override;

    // Empties the document and loads path; raises on failure, leaving the
    // document empty. A file of length 0 opens empty.
    void LoadArchive(const std::string& path);
    // The loader: reads the trailer and directory of an open archive file.
    void Serialize(CFile& file);

    void SetViewMode(int mode);
    CDATInternalFile* FindEntry(std::string_view name);
    bool IsLoaded() const { return m_dwDataSize != 0; }

    // Listing operations: rebuild m_listing and notify every view but sender.
    void ListFolder(const CDATFolder* folder, CView* sender);
    void ListFileType(const CDATFileType* type, CView* sender);

    // The loader also records every entry's name as stored in names (the
    // command line's), for loads while names lives; nullptr stops it.
    void KeepStoredNames(CStoredNames* names) { m_pStoredNames = names; }

    // Where the loader gets its progress dialog; none by default.
    void SetProgressFactory(ProgressFactory factory) { m_progressFactory = std::move(factory); }

    // Commands handled by the document.
    static constexpr unsigned ID_VIEW_FOLDERS = 32772;
    static constexpr unsigned ID_VIEW_TYPES = 32775;
    static constexpr unsigned ID_SETTINGS = 32786;
    void OnViewFolders() { SetViewMode(0); }
    void OnViewTypes() { SetViewMode(1); }

    std::vector<CDATItem*> m_listing;
    std::vector<CDATInternalFile> m_files;
    std::set<CDATFolder, CFolderLess> m_folders;
    std::map<std::string, std::unique_ptr<CDATFileType>, NameLess> m_types;
    std::uint32_t m_dwDataSize = 0;
    CCashPath m_CashPath;
    int m_nViewMode = 0;
    CDATInternalFile* m_pPaletteEntry = nullptr;

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

private:
    friend class CDATLoader;
    ProgressFactory m_progressFactory;
    CStoredNames* m_pStoredNames = nullptr;
};

extern CDATFileDoc* g_pDocument;
