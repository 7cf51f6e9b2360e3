#pragma once
// The open archive as the window sees it: the model, the listing the file pane
// shows, the view mode and the cache folder.
#include "archive/archivecontext.h"
#include "archive/datarchive.h"
#include "archive/document.h"
#include "archive/cashpath.h"
#include "archive/entrysearch.h"

#include <string>
#include <vector>

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

    void SetViewMode(int mode);

    // This document as handlers, converters and dialogs see it.
    SArchiveContext Context() const;

    // Listing operations: rebuild m_listing and notify every view but sender.
    void ListFolder(const CDATFolder* folder, CView* sender);
    void ListFileType(const CDATFileType* type, CView* sender);
    // Every file of the archive whose path holds query, or matches it as a
    // pattern (see CEntrySearch); the paths are folded at the first call.
    void ListMatches(std::string_view query, CView* sender);

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
    CEntrySearch m_search;
};
