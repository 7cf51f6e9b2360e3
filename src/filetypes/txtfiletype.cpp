#include "filetypes/txtfiletype.h"

#include "archive/datfiledoc.h"
#include "archive/extract.h"
#include "filetypes/cachepath.h"
#include "filetypes/filenames.h"
#include "filetypes/imagefiletype.h"
#include "filetypes/openedfiles.h"
#include "filetypes/textencoding.h"
#include "platform/atomicfile.h"
#include "platform/cdc.h"
#include "platform/cwnd.h"
#include "platform/file.h"
#include "platform/uiservices.h"

#include <cstdlib>
#include <sys/stat.h>

namespace {

std::string ReadFileBytes(const std::string& path)
{
    CFile file(path, CFile::modeRead);
    std::string bytes(std::size_t(file.GetLength()), '\0');
    bytes.resize(file.Read(bytes.data(), bytes.size()));
    return bytes;
}

std::string DecodeEntryText(std::string_view bytes, const CDATInternalFile& item)
{
    ETextEncoding encoding = CurrentTextEncoding();
    if (encoding == ETextEncoding::Automatic) {
        std::vector<std::string> folders;
        for (const CDATFolder* f = item.m_pParent; !f->IsRoot(); f = f->m_pParent)
            folders.insert(folders.begin(), f->m_strName);
        encoding = DetectTextEncoding(bytes, folders);
    }
    return DecodeText(bytes, encoding);
}

std::string PlainLineEnds(const std::string& decoded)
{
    std::string text;
    text.reserve(decoded.size() + 2);
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        if (decoded[i] == '\r') {
            text += '\n';
            if (i + 1 < decoded.size() && decoded[i + 1] == '\n')
                ++i;
        } else {
            text += decoded[i];
        }
    }
    return text;
}

} // namespace

std::string PrepareEntryText(std::string_view bytes, const CDATInternalFile& item)
{
    const std::size_t zero = bytes.find('\0');
    if (zero != std::string_view::npos)
        bytes = bytes.substr(0, zero);
    return PlainLineEnds(DecodeEntryText(bytes, item)) + "\n\n";
}

void CDAT_TXT_FileType::Load(CDATInternalFile* item)
{
    m_strText.clear();
    m_bLayoutValid = false;
    m_nGeneration = TextEncodingGeneration();
    // The raw copy is written again the first time an entry shows after the
    // archive was opened (its cache path is empty then).
    struct stat st;
    if (item->m_strCachePath.empty() || ::stat(item->m_strCachePath.c_str(), &st) != 0) {
        item->m_strCachePath = CacheFileFor(*item, std::string());
        CFile archive(g_pDocument->GetPathName(), CFile::modeRead);
        ThrowIfDamaged(ExtractEntry(archive, *item, item->m_strCachePath, false), *item, g_pDocument->GetPathName());
    }
    m_strText = PrepareEntryText(ReadFileBytes(item->m_strCachePath), *item);
}

void CDAT_TXT_FileType::Draw(CDATInternalFile* item, CDC* dc, RECT* rect)
{
    if (item != m_pLastItem || m_nGeneration != TextEncodingGeneration()) {
        m_pLastItem = item;
        try {
            Load(item);
        } catch (const std::exception& e) {
            m_strText.clear();
            UiServices().ReportException(e, std::string());
        }
    }
    if (!m_bLayoutValid || !(*rect == m_rcText)) {
        m_bLayoutValid = true;
        m_rcText = *rect;
        dc->DrawText(m_strText, m_rcText, DT_CALCRECT | DT_WORDBREAK);
        CWnd* wnd = dc->GetWindow();
        if (!wnd || !wnd->IsScrollView())
            return;
        wnd->SetScrollSizes(m_rcText.right - m_rcText.left, std::abs(m_rcText.bottom - m_rcText.top));
    }
    dc->SetBkModeTransparent(true);
    dc->DrawText(m_strText, m_rcText, DT_WORDBREAK);
}

void CDAT_TXT_FileType::Open(CDATInternalFile* item, CWnd* wnd)
{
    CFile archive(g_pDocument->GetPathName(), CFile::modeRead);
    const std::string bytes = ReadEntryData(archive, *item);
    // The whole entry, zero bytes and all, as UTF-8, which the desktop's editors expect.
    const std::string text = PlainLineEnds(DecodeEntryText(bytes, *item));
    const std::string path = OpenedFiles().PathFor(*item, ".txt");
    WriteFileAtomically(path, text.data(), text.size());
    std::string error;
    if (!UiServices().OpenWithDefaultProgram(wnd, path, &error))
        ReportOpenFailure(wnd, error);
}
