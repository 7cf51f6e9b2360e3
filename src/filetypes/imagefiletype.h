#pragma once
// What the FRM and RIX handlers share: the entry converted once into a BMP in
// the cache, held in a CDib, fitted into the pane, drawn and framed.
#include "filetypes/datfiletype.h"
#include "formats/dib.h"

class CDATImageFileType : public CDATFileType
{
public:
    void Draw(CDATInternalFile* item, CDC* dc, RECT* rect) override;

    CDib m_dib;
    RECT m_rcClient;
    RECT m_rcSource;
    RECT m_rcDest;
    CDATInternalFile* m_pLastItem = nullptr;

    enum EConversion { kConverted, kNoPalette, kRefused };

protected:
    using CDATFileType::CDATFileType;

    // Writes the entry's BMP to bmpPath. interactive: a missing palette is
    // told in a message box owned by wnd (saving, opening); otherwise the
    // pane says it. Raises on errors that the user must hear of.
    virtual EConversion ConvertEntry(CDATInternalFile* item, const std::string& bmpPath, CWnd* wnd,
                                     bool interactive) = 0;

    // Save as (filter 2) and Open: the BMP at path, with the message boxes.
    bool WriteBitmap(CDATInternalFile* item, const std::string& path, CWnd* wnd);
    void OpenAsBitmap(CDATInternalFile* item, CWnd* wnd);
    void SaveAsWithBitmap(CDATInternalFile* item, CWnd* parent);

private:
    void Load(CDATInternalFile* item, CWnd* wnd);
    bool m_bNoPalette = false;
    bool m_bLayoutValid = false;
};

// Tells the user that the desktop could not open a file.
void ReportOpenFailure(CWnd* wnd, const std::string& error);
