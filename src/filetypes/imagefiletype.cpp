#include "filetypes/imagefiletype.h"

#include "archive/datfiledoc.h"
#include "archive/extract.h"
#include "filetypes/cachepath.h"
#include "archive/filenames.h"
#include "filetypes/imageconvert.h"
#include "filetypes/openedfiles.h"
#include "platform/cdc.h"
#include "platform/cwnd.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/codepage.h"
#include "platform/uiservices.h"

#include <sys/stat.h>

namespace {

bool Exists(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

const char* const kNoPaletteText = "Невозможно показать файл. Нет палитры.";

} // namespace

void ReportOpenFailure(CWnd* wnd, const std::string& error)
{
    UiServices().MessageBox(wnd, "Не удалось открыть файл: " + error, "Ошибка", MB_OK | MB_ICONERROR);
}

void CDATImageFileType::Load(CDATInternalFile* item, CWnd* wnd)
{
    // Whatever happens below, the pane never keeps the previous picture.
    m_dib.Free();
    m_rcSource = {};
    m_bNoPalette = false;
    m_bLayoutValid = false;
    if (item->m_strCachePath.empty())
        item->m_strCachePath = CacheFileFor(*item, ".bmp");
    if (!Exists(item->m_strCachePath)) {
        const EConversion result = ConvertEntry(item, item->m_strCachePath, wnd, false);
        if (result == kNoPalette)
            m_bNoPalette = true;
        if (result != kConverted)
            return;
    }
    CFile file(item->m_strCachePath, CFile::modeRead);
    m_dib.Read(file);
    m_rcSource = {0, 0, int(m_dib.Width()), int(m_dib.Height())};
}

void CDATImageFileType::Draw(CDATInternalFile* item, CDC* dc, RECT* rect)
{
    if (item != m_pLastItem) {
        m_pLastItem = item;
        try {
            Load(item, dc->GetWindow());
        } catch (const std::exception& e) {
            m_dib.Free();
            m_rcSource = {};
            UiServices().ReportException(e, std::string());
        }
    }
    if (m_bNoPalette) {
        RECT r = *rect;
        dc->DrawText(kNoPaletteText, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        return;
    }
    if (!m_bLayoutValid || !(*rect == m_rcClient)) {
        m_bLayoutValid = true;
        m_rcClient = *rect;
        FitRect(m_rcDest, m_rcSource, *rect, 5);
        const int dx = (rect->left + rect->right) / 2 - (m_rcDest.left + m_rcDest.right) / 2;
        const int dy = (rect->top + rect->bottom) / 2 - (m_rcDest.top + m_rcDest.bottom) / 2;
        m_rcDest.left += dx;
        m_rcDest.right += dx;
        m_rcDest.top += dy;
        m_rcDest.bottom += dy;
        if (CWnd* wnd = dc->GetWindow(); wnd && wnd->IsScrollView())
            wnd->SetScrollSizes(0, 0);
    }
    m_dib.Draw(*dc, m_rcDest, m_rcSource);
    const RECT frame{m_rcDest.left - 2, m_rcDest.top - 2, m_rcDest.right + 2, m_rcDest.bottom + 2};
    dc->FrameRect(frame, RGB(0, 0, 0));
}

bool CDATImageFileType::WriteBitmap(CDATInternalFile* item, const std::string& path, CWnd* wnd)
{
    return ConvertEntry(item, path, wnd, true) == kConverted;
}

void CDATImageFileType::OpenAsBitmap(CDATInternalFile* item, CWnd* wnd)
{
    const std::string path = OpenedFiles().PathFor(*item, ".bmp");
    if (!WriteBitmap(item, path, wnd))
        return;
    std::string error;
    if (!UiServices().OpenWithDefaultProgram(wnd, path, &error))
        ReportOpenFailure(wnd, error);
}

void CDATImageFileType::SaveAsWithBitmap(CDATInternalFile* item, CWnd* parent)
{
    const std::string filter = DecodeToUtf8(m_strDescription) + "|*." + DecodeToUtf8(m_strExtension) +
                               "|Bitmap files (*.bmp)|*.bmp|All files (*.*)|*.*||";
    auto chosen = UiServices().GetSaveFileName(parent, filter, EntryNameForDisk(item->m_strName));
    if (!chosen)
        return;
    if (chosen->m_nFilterIndex == 1)
        SaveEntryTo(*item, chosen->m_strPath);
    else if (chosen->m_nFilterIndex == 2)
        WriteBitmap(item, chosen->m_strPath, parent);
}
