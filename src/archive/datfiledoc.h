#pragma once
// The open archive as the window sees it: the model, the listing the file pane
// shows, the view mode and the cache folder.
#include "archive/archivecontext.h"
#include "archive/datarchive.h"
#include "archive/document.h"
#include "archive/cashpath.h"
#include "archive/entrysearch.h"
#include "archive/sourcediff.h"
#include "platform/file.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class CSourceStack;

class CDATFileDoc : public CDocument, public CDATArchive
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

    // Opens several archives and folders as one, later ones overriding
    // earlier ones entry by entry; raises naming the source that failed,
    // leaving the document as it was.
    void LoadSet(const std::vector<std::string>& sources);
    // The sources when a set is open (null otherwise); entry i of m_files is
    // the stack's merged entry i.
    const CSourceStack* Stack() const { return m_pStack.get(); }
    std::string EntryFile(const CDATInternalFile& entry) const override;
    // Whether the entry is a loose file of a folder source (it has no offset).
    bool IsLoose(const CDATInternalFile& entry) const;

    // Compares what is open (the old side) with newSource (an archive or a
    // folder): the document then shows both as one set, the new side over
    // the old, each entry with its change. Raises like LoadSet, leaving the
    // document as it was; false when the user cancelled. Entries that could
    // not be compared are named in complaints.
    bool LoadComparison(const std::string& newSource, std::vector<std::string>& complaints);
    // The comparison shown, null when none.
    const SComparison* Comparison() const { return m_pComparison.get(); }
    EEntryChange ChangeOf(const CDATItem& item) const;
    bool FolderChanged(const CDATFolder& folder) const;
    // Unchanged entries listed too, or only the changes; lists are rebuilt by the views.
    void SetShowUnchanged(bool on);
    // The old side's copy of a changed entry, read from its own file.
    struct SOldVersion
    {
        CDATInternalFile m_entry;
        std::string m_strFile;
        std::string m_strSource; // its source's name
    };
    std::optional<SOldVersion> OldVersion(const CDATInternalFile& entry) const;
    // The source of the winning copy of an entry of m_files, by name.
    std::string SourceLabelOf(const CDATInternalFile& entry) const;

    void SetViewMode(int mode);

    // This document as handlers, converters and dialogs see it.
    SArchiveContext Context() const;

    // Listing operations: rebuild m_listing and notify every view but sender.
    void ListFolder(const CDATFolder* folder, CView* sender);
    void ListFileType(const CDATFileType* type, CView* sender);
    // Every file of the archive whose path holds query, or matches it as a
    // pattern (see CEntrySearch); the paths are folded at the first call. A
    // big archive's are folded on a worker: until they are, the listing stays
    // and the query waits for ListWaitingMatches (true while it waits).
    // onFolded: called on the worker once they are.
    bool ListMatches(std::string_view query, CView* sender, const std::function<void()>& onFolded);
    // Starts folding the paths, ahead of the first query.
    void PrepareSearch(const std::function<void()>& onFolded);
    // Lists the waiting query's matches once the paths are folded; true while
    // it still waits. Any other listing drops the waiting query.
    bool ListWaitingMatches(CView* sender);
    void DropWaitingMatches() { m_bQueryWaits = false; }

    // What m_listing holds: one folder's items, one type's files, or matches
    // from anywhere in the archive.
    enum EListingKind { kListFolder, kListType, kListMatches };
    EListingKind m_nListingKind = kListFolder;

    std::vector<CDATItem*> m_listing;
    CCashPath m_CashPath;
    // The palette file pictures fall back on (the shell keeps it in the profile).
    std::string m_strDefaultPalette;
    int m_nViewMode = 0;

private:
    std::unique_ptr<CSourceStack> OpenSources(const std::vector<std::string>& sources,
                                              std::vector<std::string>& absolute) const;
    void AdoptStack(std::unique_ptr<CSourceStack> stack, const std::vector<std::string>& absolute);
    // Drops from m_listing what a comparison does not show.
    void DropUnchanged();
    const CSourceStack* StackOf(const CDATInternalFile& entry, std::size_t& index) const;

    CEntrySearch m_search;
    std::string m_strWaitingQuery;
    bool m_bQueryWaits = false;
    std::unique_ptr<CSourceStack> m_pStack;
    std::unique_ptr<SComparison> m_pComparison;
};

// A set of sources travels as one path (the recent files keep it as one
// entry): the sources' paths, one per line. A path without a line break is
// one archive.
std::string JoinSourceSet(const std::vector<std::string>& sources);
std::vector<std::string> SplitSourceSet(const std::string& path);
bool IsSourceSet(const std::string& path);

// Reads many entries of one document, keeping the last file it opened: the
// archive, or for a set the sources the entries come from.
class CEntryFiles
{
public:
    // Opens the archive at once, so that one that cannot be read fails first.
    explicit CEntryFiles(const CDATArchive& archive);
    CFile& For(const CDATInternalFile& entry);

private:
    const CDATArchive& m_archive;
    std::string m_strPath;
    CFile m_file;
};
