#pragma once
// Movies are played by the carried player with the movie appended, written
// into the cache once; sounds are decoded for the pane and saved as WAV.
#include "archive/datfiletype.h"

class CDAT_MVE_FileType : public CDATFileType
{
public:
    CDAT_MVE_FileType() : CDATFileType("Movies MVE files", "mve", 5) {}

    void SaveAs(const SArchiveContext& archive, CDATInternalFile* item, CWnd* parent) override;
    void Open(const SArchiveContext& archive, CDATInternalFile* item, CWnd* wnd) override;
    std::unique_ptr<CPreview> MakePreview(const SPreviewRequest& request) const override;
    bool IsPreviewLarge(const CDATInternalFile&) const override { return true; }

    // The player with the movie at exePath, through a packed copy at
    // exePath + ".tmp"; false when the user declined or cancelled (a cancel
    // leaves the files of the finished steps). A file already at the packed
    // copy's name is refused unless ownScratch (our own cache folder).
    bool BuildMovieExe(const SArchiveContext& archive, const std::string& exePath, CDATInternalFile* item, CWnd* wnd,
                       bool ownScratch = false);
};

class CDAT_ACM_FileType : public CDATFileType
{
public:
    CDAT_ACM_FileType() : CDATFileType("Sound ACM files", "acm", 6) {}

    void SaveAs(const SArchiveContext& archive, CDATInternalFile* item, CWnd* parent) override;
    std::unique_ptr<CPreview> MakePreview(const SPreviewRequest& request) const override;
    bool IsPreviewLarge(const CDATInternalFile&) const override { return true; }
};

// A 16-bit PCM WAV file of an ACM entry's bytes, channels taken as the game
// takes them for entryPath; raises CFileException for a damaged sound.
std::string AcmEntryToWav(const std::string& bytes, const std::string& entryPath);
