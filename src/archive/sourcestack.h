#pragma once
// Several sources read as one, the way the game reads its master archives,
// then patches and its loose data folder: a later source's copy of an entry
// overrides an earlier one, entry by entry (names compared with the ASCII
// letters folded, '\\' and '/' the same). The merged view is an ordinary
// archive model over the winning copies; every merged entry also knows all of
// its copies and where the winning bytes are read from.
#include "archive/datitem.h"
#include "archive/dirparser.h"
#include "platform/file.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CDATArchive;
class CDATFileDoc;

// One copy of an entry as its source stores it. A loose file is stored, its
// size both sizes, at offset 0 of its own file.
struct SEntryCopy
{
    std::uint32_t m_nSource = 0;
    std::uint32_t m_nIndex = 0; // among the source's entries
};

class CStackSource
{
public:
    enum class EKind { kArchive, kFolder };

    // The entry as stored: name ('\\' between parts, CP1251), sizes, offset.
    struct SEntry
    {
        std::string_view m_name;
        std::uint32_t m_nRealSize;
        std::uint32_t m_nPackedSize;
        std::uint32_t m_nOffset;
        EEntryStorage m_storage = EEntryStorage::kStored;
    };

    CStackSource(std::string label, std::string path, EKind kind);
    ~CStackSource();
    CStackSource(const CStackSource&) = delete;
    CStackSource& operator=(const CStackSource&) = delete;

    const std::string& Label() const { return m_strLabel; }
    const std::string& Path() const { return m_strPath; }
    EKind Kind() const { return m_kind; }
    std::size_t Count() const;
    SEntry Entry(std::size_t i) const;
    // Where entry i's bytes are: the archive, or the loose file on disk.
    std::string FileOf(std::size_t i) const;

private:
    friend class CSourceStack;
    struct SLoose
    {
        std::uint32_t m_nNameStart;
        std::uint16_t m_nNameLength;
        std::uint32_t m_nSize;
    };
    void LoadArchive();
    void ScanFolder(std::vector<std::string>& skipped);

    std::string m_strLabel;
    std::string m_strPath;
    EKind m_kind;
    // An archive: its entries as stored (the names point into its directory,
    // kept in one of the two), and a handle kept open. No model of its own:
    // only the merged view needs one.
    std::vector<SEntry> m_entries;
    SDirectoryBytes m_directory;
    CStoredNames m_names;
    mutable CFile m_file; // reads are positional
    // A folder: its files' names (one buffer) and sizes, sorted by name.
    std::string m_strLooseNames;
    std::vector<SLoose> m_loose;
};

// The file that holds a copy's bytes, open for reading: the archive's own
// handle, or the loose file opened for this read.
class CCopyFile
{
public:
    explicit CCopyFile(CFile* shared) : m_pFile(shared) {}
    explicit CCopyFile(CFile&& own) : m_own(std::move(own)), m_pFile(&m_own) {}
    CCopyFile(CCopyFile&& other) noexcept
        : m_own(std::move(other.m_own)), m_pFile(other.m_pFile == &other.m_own ? &m_own : other.m_pFile)
    {
    }
    CFile& operator*() const { return *m_pFile; }

private:
    CFile m_own;
    CFile* m_pFile;
};

class CSourceStack
{
public:
    CSourceStack();
    ~CSourceStack();

    // Adds the next source, label its name for people (as the user gave it).
    // A folder is scanned; its files whose names an archive cannot hold (not
    // CP1251, control characters, too long or too deep) and files of 4 GiB or
    // more are left out, one line each in skipped. Anything else is loaded as
    // an archive; raises like the loader, naming the file.
    void Add(const std::string& label, const std::string& path, std::vector<std::string>& skipped);

    std::size_t SourceCount() const { return m_sources.size(); }
    const CStackSource& Source(std::size_t s) const { return *m_sources[s]; }

    // Works out the merged entries: in the order their names first appear,
    // each with its copies. Done once, after the last Add.
    void Merge();
    std::size_t Count() const { return m_latest.size(); }
    // The copies of merged entry i, the winning one first, then the ones it
    // overrides from the latest on.
    std::vector<SEntryCopy> Copies(std::size_t i) const;
    SEntryCopy Winner(std::size_t i) const { return CopyOf(m_latest[i]); }
    CStackSource::SEntry EntryOf(const SEntryCopy& copy) const { return Source(copy.m_nSource).Entry(copy.m_nIndex); }

    // The merged view as an archive model (merging first when not yet done):
    // merged.m_files[i] is merged entry i under its winning copy's name,
    // sizes and offset; names, when given, receives the stored names, valid
    // while this stack lives.
    void Build(CDATArchive& merged, CStoredNames* names = nullptr);

    // The copy as an entry record that the extraction routines read, its name
    // the whole stored path, and the file to read it from.
    static CDATInternalFile Record(const CStackSource::SEntry& entry);
    CCopyFile Open(const SEntryCopy& copy) const;
    // The winning copy's contents; raises like ReadEntryData.
    std::string ReadEntry(std::size_t i) const;

private:
    // Copies are numbered across the sources in order ("arrivals").
    SEntryCopy CopyOf(std::uint32_t arrival) const;

    std::vector<std::unique_ptr<CStackSource>> m_sources;
    std::vector<std::uint32_t> m_sourceStart;  // first arrival of each source, one extra end slot
    std::vector<std::uint32_t> m_latest;       // per merged entry: its winning arrival
    std::vector<std::uint32_t> m_overridden;   // per arrival: the arrival it overrides, or none
    std::deque<std::string> m_slashedNames;    // winners' names with '/' turned into '\\'
};

// Whether two stored names name the same entry to the game: ASCII letters
// folded, '\\' and '/' the same.
bool SameEntryName(std::string_view a, std::string_view b);
// Orders stored names byte by byte with those rules ('\\' as the separator).
int CompareEntryNames(std::string_view a, std::string_view b);
