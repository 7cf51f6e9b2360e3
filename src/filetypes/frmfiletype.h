#pragma once
#include "filetypes/imagefiletype.h"

class CDATArchive;

// FRM pictures, and the direction files .fr0 to .fr5 that hold one direction
// each: coloured by the palette named after the entry, else the archive's
// color.pal, else the default palette file. A still picture shows its only
// frame; more frames or directions make an animation.
class CDAT_FRM_FileType : public CDATImageFileType
{
public:
    explicit CDAT_FRM_FileType(std::string extension = "frm") : CDATImageFileType("FRM files", std::move(extension), 3)
    {
    }

    void SaveAs(const SArchiveContext& archive, CDATInternalFile* item, CWnd* parent) override
    {
        SaveAsWithBitmap(archive, item, parent);
    }
    void Open(const SArchiveContext& archive, CDATInternalFile* item, CWnd* wnd) override
    {
        OpenAsBitmap(archive, item, wnd);
    }
    bool SaveAsBitmap(const SArchiveContext& archive, const std::string& destPath, CDATInternalFile* item, CWnd* wnd)
    {
        return WriteBitmap(archive, item, destPath, wnd);
    }
    std::unique_ptr<CPreview> MakePreview(const SPreviewRequest& request) const override;
    unsigned PreviewGeneration(const SArchiveContext& archive) const override;
    bool TransparentByDefault() const override { return true; }

protected:
    SPreviewRequest Source(const SArchiveContext& archive, const CDATInternalFile& item) const override;
    EConversion Convert(const SPreviewRequest& request, bool interactive, std::string& bmp) const override;
};

// The bytes of a palette file on disk; raises for a file far too large to be one.
std::string ReadPaletteFile(const std::string& path);

// The palette entry of an FRM entry, or null.
const CDATInternalFile* FindPaletteFor(const CDATArchive& archive, const CDATInternalFile& item);

// The BMP of an FRM entry of the archive at archivePath coloured by a palette
// entry; raises like FrmToBmp and ReadEntryData. The browser and the command
// line both convert through this.
std::string FrmEntryToBmp(const std::string& archivePath, const CDATInternalFile& item,
                          const CDATInternalFile& palette, const std::string& paletteFile = {});
