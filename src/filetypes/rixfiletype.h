#pragma once
#include "filetypes/imagefiletype.h"

// RIX pictures: full-screen pictures with their own palette.
class CDAT_RIX_FileType : public CDATImageFileType
{
public:
    CDAT_RIX_FileType() : CDATImageFileType("RIX files", "rix", 10) {}

    void SaveAs(CDATInternalFile* item, CWnd* parent) override { SaveAsWithBitmap(item, parent); }
    void Open(CDATInternalFile* item, CWnd* wnd) override { OpenAsBitmap(item, wnd); }

protected:
    EConversion ConvertEntry(CDATInternalFile* item, const std::string& bmpPath, CWnd* wnd, bool interactive) override;
};

// The BMP of a RIX entry of the open archive; raises like RixToBmp and
// ReadEntryData. The browser and the command line both convert through this.
std::string RixEntryToBmp(const CDATInternalFile& item);
