#pragma once
// What the FRM and RIX handlers share: the entry converted once into a BMP in
// the cache, shown fitted into the pane and framed, saved and opened as BMP,
// saved as PNG too.
#include "archive/datfiletype.h"

class CUiServices;

class CDATImageFileType : public CDATFileType
{
public:
    SPreviewRequest PreparePreview(const SArchiveContext& archive, CDATInternalFile& item) const override;
    std::unique_ptr<CPreview> MakePreview(const SPreviewRequest& request) const override;
    std::unique_ptr<CPreview> FailedPreview() const override;

    enum EConversion { kConverted, kNoPalette, kRefused };

    // The entry as an indexed PNG file's bytes, with the palette the viewer
    // would use, and no message box: kNoPalette for an FRM without one;
    // raises for a damaged entry or a picture that is not one.
    EConversion ConvertToPng(const SArchiveContext& archive, const CDATInternalFile& item, bool transparent,
                             std::string& png) const;
    // What an export writes when the user did not choose: sprites keep their
    // transparent colour, full pictures are opaque.
    virtual bool TransparentByDefault() const { return false; }

protected:
    using CDATFileType::CDATFileType;

    // What a conversion reads: the archive, the entry (and its palette).
    virtual SPreviewRequest Source(const SArchiveContext& archive, const CDATInternalFile& item) const;
    // The entry's BMP file bytes into bmp. kNoPalette: an FRM without a
    // palette; kRefused: a picture the pane passes over silently (only when
    // not interactive). Raises on errors that the user must hear of.
    virtual EConversion Convert(const SPreviewRequest& request, bool interactive, std::string& bmp) const = 0;

    // The pane's line for a picture without a palette.
    static std::unique_ptr<CPreview> MakeNoPalettePreview();
    // Save as (filter 2) and Open: the BMP at path, with the message boxes.
    bool WriteBitmap(const SArchiveContext& archive, CDATInternalFile* item, const std::string& path,
                     CWnd* wnd) const;
    // Save as (filters 3 and 4): the same picture as an indexed PNG.
    bool WritePng(const SArchiveContext& archive, CDATInternalFile* item, const std::string& path, CWnd* wnd,
                  bool transparent) const;
    bool WriteConverted(const SArchiveContext& archive, CDATInternalFile* item, const std::string& path, CWnd* wnd,
                        const bool* pngTransparent) const;
    void OpenAsBitmap(const SArchiveContext& archive, CDATInternalFile* item, CWnd* wnd) const;
    void SaveAsWithBitmap(const SArchiveContext& archive, CDATInternalFile* item, CWnd* parent) const;
};

// Tells the user that the desktop could not open a file.
void ReportOpenFailure(CUiServices& ui, CWnd* wnd, const std::string& error);
