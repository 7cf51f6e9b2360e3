#pragma once
// The previews the handlers make: a picture fitted and framed, word-wrapped
// text that scrolls, and one centred line.
#include "platform/bitmap.h"
#include "platform/preview.h"

#include <string>

class CPicturePreview : public CPreview
{
public:
    // An empty bitmap shows the empty frame.
    explicit CPicturePreview(SBitmap bitmap);
    SExtent Layout(CDC& measure, const RECT& content) override;
    void Draw(CDC& dc) const override;
    std::size_t Bytes() const override { return sizeof *this + m_bitmap.Bytes(); }
    const SBitmap& Bitmap() const { return m_bitmap; }
    std::string Facts() const override { return m_strFacts; }
    void SetFacts(std::string facts) { m_strFacts = std::move(facts); }
    // FRM pictures: index 0 may let the pane's background through.
    void AllowTransparency() { m_bKeyable = true; }
    void SetTransparent(bool on);

private:
    SBitmap m_bitmap;
    std::string m_strFacts;
    bool m_bKeyable = false;
    RECT m_rcSource{};
    RECT m_rcDest{};
};

class CTextPreview : public CPreview
{
public:
    explicit CTextPreview(std::string utf8) : m_strText(std::move(utf8)) {}
    SExtent Layout(CDC& measure, const RECT& content) override;
    void Draw(CDC& dc) const override;
    std::size_t Bytes() const override { return sizeof *this + m_strText.size(); }
    const std::string& Text() const { return m_strText; }

private:
    std::string m_strText;
    RECT m_rcText{};
};

class CLinePreview : public CPreview
{
public:
    explicit CLinePreview(std::string utf8) : m_strText(std::move(utf8)) {}
    SExtent Layout(CDC& measure, const RECT& content) override;
    void Draw(CDC& dc) const override;
    std::size_t Bytes() const override { return sizeof *this + m_strText.size(); }

private:
    std::string m_strText;
    RECT m_rcText{};
};

class CDATFileType;
class CDATInternalFile;
struct SArchiveContext;

// The preview of an entry made at once, on the calling thread: what the
// viewer does for small entries, and tests do for any. Raises like
// CDATFileType::MakePreview; never returns null.
std::unique_ptr<CPreview> MakePreviewNow(const SArchiveContext& archive, CDATInternalFile& item);
// The same, a failure reported through the archive's UI services and shown
// as the type's failed preview.
std::unique_ptr<CPreview> MakePreviewOrReport(const SArchiveContext& archive, CDATInternalFile& item);
// After a preview was made: an entry keeps its cache path only while the
// file is there (a picture passed over is tried again next time).
void ForgetMissingCacheFile(CDATInternalFile& item);
// What shows when a type has no preview of its own: the entry's name.
std::unique_ptr<CPreview> NamePreview(const CDATInternalFile& item);
// What shows when an entry's preview could not be made (or is not made yet).
std::unique_ptr<CPreview> FailedPreviewOf(const CDATInternalFile& item);
