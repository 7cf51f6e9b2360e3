#pragma once
// The concrete handlers. Their drawing, saving and opening come with the
// picture, text and movie code; here they are the registry's classes.
#include "filetypes/datfiletype.h"

class CDAT_FRM_FileType : public CDATFileType
{
public:
    CDAT_FRM_FileType() : CDATFileType("FRM files", "frm", 3) {}
};

class CDAT_RIX_FileType : public CDATFileType
{
public:
    CDAT_RIX_FileType() : CDATFileType("RIX files", "rix", 10) {}
};

class CDAT_TXT_FileType : public CDATFileType
{
public:
    CDAT_TXT_FileType() : CDATFileType("Text files", "txt", 4) {}

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

class CDAT_MVE_FileType : public CDATFileType
{
public:
    CDAT_MVE_FileType() : CDATFileType("Movies MVE files", "mve", 5) {}
};

class CDAT_ACM_FileType : public CDATFileType
{
public:
    CDAT_ACM_FileType() : CDATFileType("Sound ACM files", "acm", 6) {}
};
