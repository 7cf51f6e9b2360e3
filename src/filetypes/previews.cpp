#include "filetypes/previews.h"

#include "archive/archivecontext.h"
#include "archive/datfiletype.h"
#include "filetypes/imageconvert.h"
#include "platform/cdc.h"
#include "platform/codepage.h"

#include <cstdlib>
#include <sys/stat.h>

CPicturePreview::CPicturePreview(SBitmap bitmap) : m_bitmap(std::move(bitmap))
{
    if (!m_bitmap.IsEmpty())
        m_rcSource = {0, 0, m_bitmap.m_nWidth, m_bitmap.m_nHeight};
}

CPreview::SExtent CPicturePreview::Layout(CDC&, const RECT& content)
{
    FitRect(m_rcDest, m_rcSource, content, 5);
    const int dx = (content.left + content.right) / 2 - (m_rcDest.left + m_rcDest.right) / 2;
    const int dy = (content.top + content.bottom) / 2 - (m_rcDest.top + m_rcDest.bottom) / 2;
    m_rcDest.left += dx;
    m_rcDest.right += dx;
    m_rcDest.top += dy;
    m_rcDest.bottom += dy;
    return {};
}

void CPicturePreview::SetTransparent(bool on)
{
    on = on && m_bKeyable;
    if (m_bitmap.m_bKeyZero != on) {
        m_bitmap.m_bKeyZero = on;
        m_bitmap.m_pPrepared.reset();
    }
}

void CPicturePreview::Draw(CDC& dc) const
{
    if (!m_bitmap.IsEmpty())
        dc.DrawBitmap(m_bitmap, m_rcDest, m_rcSource);
    const RECT frame{m_rcDest.left - 2, m_rcDest.top - 2, m_rcDest.right + 2, m_rcDest.bottom + 2};
    dc.FrameRect(frame, RGB(0, 0, 0));
}

CPreview::SExtent CTextPreview::Layout(CDC& measure, const RECT& content)
{
    m_rcText = content;
    measure.DrawText(m_strText, m_rcText, DT_CALCRECT | DT_WORDBREAK);
    return {m_rcText.right - m_rcText.left, std::abs(m_rcText.bottom - m_rcText.top)};
}

void CTextPreview::Draw(CDC& dc) const
{
    dc.SetBkModeTransparent(true);
    RECT r = m_rcText;
    dc.DrawText(m_strText, r, DT_WORDBREAK);
}

CPreview::SExtent CLinePreview::Layout(CDC&, const RECT& content)
{
    m_rcText = content;
    return {};
}

void CLinePreview::Draw(CDC& dc) const
{
    RECT r = m_rcText;
    dc.DrawText(m_strText, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

std::unique_ptr<CPreview> NamePreview(const CDATInternalFile& item)
{
    return std::make_unique<CLinePreview>(DecodeToUtf8(item.m_strName));
}

std::unique_ptr<CPreview> FailedPreviewOf(const CDATInternalFile& item)
{
    std::unique_ptr<CPreview> failed = item.m_pType->FailedPreview();
    return failed ? std::move(failed) : NamePreview(item);
}

void ForgetMissingCacheFile(CDATInternalFile& item)
{
    struct stat st;
    if (!item.m_strCachePath.empty() && ::stat(item.m_strCachePath.c_str(), &st) != 0)
        item.m_strCachePath.clear();
}

std::unique_ptr<CPreview> MakePreviewNow(const SArchiveContext& archive, CDATInternalFile& item)
{
    std::unique_ptr<CPreview> preview;
    try {
        preview = item.m_pType->MakePreview(item.m_pType->PreparePreview(archive, item));
    } catch (...) {
        ForgetMissingCacheFile(item);
        throw;
    }
    ForgetMissingCacheFile(item);
    return preview ? std::move(preview) : NamePreview(item);
}

std::unique_ptr<CPreview> MakePreviewOrReport(const SArchiveContext& archive, CDATInternalFile& item)
{
    try {
        return MakePreviewNow(archive, item);
    } catch (const std::exception& e) {
        archive.Ui().ReportException(e, std::string());
    }
    return FailedPreviewOf(item);
}
