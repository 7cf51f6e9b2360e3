#pragma once
// Movies are played by the carried player with the movie appended, written
// into the cache once; sounds can only be listed and copied.
#include "filetypes/datfiletype.h"

class CDAT_MVE_FileType : public CDATFileType
{
public:
    CDAT_MVE_FileType() : CDATFileType("Movies MVE files", "mve", 5) {}

    void SaveAs(CDATInternalFile* item, CWnd* parent) override;
    void Draw(CDATInternalFile* item, CDC* dc, RECT* rect) override;
    void Open(CDATInternalFile* item, CWnd* wnd) override;

    // The player with the movie at exePath, through a packed copy at
    // exePath + ".tmp"; false when the user declined or cancelled (a cancel
    // leaves the files of the finished steps). A file already at the packed
    // copy's name is refused unless ownScratch (our own cache folder).
    bool BuildMovieExe(const std::string& exePath, CDATInternalFile* item, CWnd* wnd, bool ownScratch = false);
};

class CDAT_ACM_FileType : public CDATFileType
{
public:
    CDAT_ACM_FileType() : CDATFileType("Sound ACM files", "acm", 6) {}

    void SaveAs(CDATInternalFile* item, CWnd* parent) override;
};
