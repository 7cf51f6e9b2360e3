#pragma once
// Text-like entries: shown word-wrapped and scrollable, opened as .txt files.
#include "filetypes/datfiletype.h"

class CDAT_TXT_FileType : public CDATFileType
{
public:
    CDAT_TXT_FileType() : CDATFileType("Text files", "txt", 4) {}

    void Draw(CDATInternalFile* item, CDC* dc, RECT* rect) override;
    void Open(CDATInternalFile* item, CWnd* wnd) override;

    std::string m_strText; // UTF-8, ready to draw
    RECT m_rcText;
    CDATInternalFile* m_pLastItem = nullptr;

protected:
    CDAT_TXT_FileType(std::string description, std::string extension)
        : CDATFileType(std::move(description), std::move(extension), 4)
    {
    }

private:
    void Load(CDATInternalFile* item);
    bool m_bLayoutValid = false;
    unsigned m_nGeneration = 0;
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
// (automatically from the bytes and the entry's folders, or as the user
// chose), line ends made plain, two line feeds appended.
std::string PrepareEntryText(std::string_view bytes, const CDATInternalFile& item);
