#pragma once
// Text-like entries: shown word-wrapped and scrollable, opened as .txt files.
#include "archive/datfiletype.h"
#include "filetypes/textencoding.h"

#include <string>
#include <vector>

class CDAT_TXT_FileType : public CDATFileType
{
public:
    CDAT_TXT_FileType() : CDATFileType("Text files", "txt", 4) {}

    void Open(const SArchiveContext& archive, CDATInternalFile* item, CWnd* wnd) override;
    SPreviewRequest PreparePreview(const SArchiveContext& archive, CDATInternalFile& item) const override;
    std::unique_ptr<CPreview> MakePreview(const SPreviewRequest& request) const override;
    std::unique_ptr<CPreview> FailedPreview() const override;
    unsigned PreviewGeneration(const SArchiveContext& archive) const override;

protected:
    CDAT_TXT_FileType(std::string description, std::string extension)
        : CDATFileType(std::move(description), std::move(extension), 4)
    {
    }
};

class CDAT_MSG_FileType : public CDAT_TXT_FileType
{
public:
    CDAT_MSG_FileType() : CDAT_TXT_FileType("Msg files", "msg") {}
};

class CDAT_LST_FileType : public CDAT_TXT_FileType
{
public:
    CDAT_LST_FileType() : CDAT_TXT_FileType("Lst files", "lst") {}
};

class CDAT_GAM_FileType : public CDAT_TXT_FileType
{
public:
    CDAT_GAM_FileType() : CDAT_TXT_FileType("Gam files", "gam") {}
};

class CDAT_CFG_FileType : public CDAT_TXT_FileType
{
public:
    CDAT_CFG_FileType() : CDAT_TXT_FileType("Cfg files", "cfg") {}
};

class CDAT_BIO_FileType : public CDAT_TXT_FileType
{
public:
    CDAT_BIO_FileType() : CDAT_TXT_FileType("Bio files", "bio") {}
};

// The text of an entry's bytes as shown: cut at the first zero byte, decoded
// (encoding Automatic: from the bytes and the entry's folders, raw names
// outermost first), line ends made plain, two line feeds appended.
std::string PrepareEntryText(std::string_view bytes, const std::vector<std::string>& folders,
                             ETextEncoding encoding);
