#pragma once
#include "filetypes/imagefiletype.h"

// RIX pictures: full-screen pictures with their own palette.
class CDAT_RIX_FileType : public CDATImageFileType
{
public:
    CDAT_RIX_FileType() : CDATImageFileType("RIX files", "rix", 10) {}

    void SaveAs(const SArchiveContext& archive, CDATInternalFile* item, CWnd* parent) override
    {
        SaveAsWithBitmap(archive, item, parent);
    }
    void Open(const SArchiveContext& archive, CDATInternalFile* item, CWnd* wnd) override
    {
        OpenAsBitmap(archive, item, wnd);
    }

protected:
    EConversion Convert(const SPreviewRequest& request, bool interactive, std::string& bmp) const override;
};

// The BMP of a RIX entry of the archive at archivePath; raises like RixToBmp
// and ReadEntryData. The browser and the command line both convert through this.
std::string RixEntryToBmp(const std::string& archivePath, const CDATInternalFile& item);
