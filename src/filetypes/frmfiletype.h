#pragma once
#include "filetypes/imagefiletype.h"

// FRM pictures: the first frame, coloured by the palette named after the
// entry, else the archive's color.pal.
class CDAT_FRM_FileType : public CDATImageFileType
{
public:
    CDAT_FRM_FileType() : CDATImageFileType("FRM files", "frm", 3) {}

    void SaveAs(CDATInternalFile* item, CWnd* parent) override { SaveAsWithBitmap(item, parent); }
    void Open(CDATInternalFile* item, CWnd* wnd) override { OpenAsBitmap(item, wnd); }
    bool SaveAsBitmap(const std::string& destPath, CDATInternalFile* item, CWnd* wnd)
    {
        return WriteBitmap(item, destPath, wnd);
    }

protected:
    EConversion ConvertEntry(CDATInternalFile* item, const std::string& bmpPath, CWnd* wnd, bool interactive) override;
};

// The palette entry of an FRM entry, or null.
CDATInternalFile* FindPaletteFor(const CDATInternalFile& item);

// The BMP of an FRM entry of the open archive coloured by a palette entry;
// raises like FrmToBmp and ReadEntryData. The browser and the command line
// both convert through this.
std::string FrmEntryToBmp(const CDATInternalFile& item, const CDATInternalFile& palette);
