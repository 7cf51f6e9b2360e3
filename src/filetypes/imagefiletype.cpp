#include "filetypes/imagefiletype.h"

#include "archive/archivecontext.h"
#include "archive/extract.h"
#include "filetypes/cachepath.h"
#include "archive/filenames.h"
#include "filetypes/imageconvert.h"
#include "filetypes/openedfiles.h"
#include "filetypes/previews.h"
#include "formats/dib.h"
#include "formats/png.h"
#include "platform/atomicfile.h"
#include "platform/cdc.h"
#include "platform/cwnd.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/codepage.h"
#include "platform/uiservices.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

bool Exists(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

const char* const kNoPaletteText = DRAVIK_TR_NOOP("Core", "Невозможно показать файл. Нет палитры.");

// The BMP's own colours and rows, so that both files show the same picture.
std::string BmpToPng(const std::string& bmp, bool transparent)
{
    CDib dib;
    dib.ReadFromMemory(bmp);
    SIndexedPicture picture{dib.Width(), dib.Height(), {}};
    picture.m_pixels.resize(std::size_t(picture.m_nWidth) * picture.m_nHeight);
    for (std::uint32_t y = 0; y < picture.m_nHeight; ++y)
        std::copy_n(&dib.Bits()[std::size_t(picture.m_nHeight - 1 - y) * dib.Stride()], picture.m_nWidth,
                    &picture.m_pixels[std::size_t(y) * picture.m_nWidth]);
    return EncodeIndexedPng(picture, dib.Palette(), transparent);
}

} // namespace

CDATImageFileType::EConversion CDATImageFileType::ConvertToPng(const SArchiveContext& archive,
                                                               const CDATInternalFile& item, bool transparent,
                                                               std::string& png) const
{
    std::string bmp;
    const EConversion result = Convert(Source(archive, item), true, bmp);
    if (result == kConverted)
        png = BmpToPng(bmp, transparent);
    return result;
}

void ReportOpenFailure(CUiServices& ui, CWnd* wnd, const std::string& error)
{
    ui.MessageBox(wnd, ui.Text(DRAVIK_TR_NOOP("Core", "Не удалось открыть файл: %1"), {error}), DRAVIK_TR_NOOP("Core", "Ошибка"), MB_OK | MB_ICONERROR);
}

SPreviewRequest CDATImageFileType::Source(const SArchiveContext& archive, const CDATInternalFile& item) const
{
    return {archive.EntryFile(item), item};
}

SPreviewRequest CDATImageFileType::PreparePreview(const SArchiveContext& archive, CDATInternalFile& item) const
{
    SPreviewRequest request = Source(archive, item);
    if (item.m_strCachePath.empty())
        item.m_strCachePath = CacheFileFor(archive, item, ".bmp");
    request.m_strCacheFile = item.m_strCachePath;
    return request;
}

std::unique_ptr<CPreview> CDATImageFileType::MakePreview(const SPreviewRequest& request) const
{
    CDib dib;
    if (Exists(request.m_strCacheFile)) {
        CFile file(request.m_strCacheFile, CFile::modeRead);
        dib.Read(file);
    } else {
        std::string bmp;
        switch (Convert(request, false, bmp)) {
        case kNoPalette: return MakeNoPalettePreview();
        case kRefused: return FailedPreview();
        case kConverted: break;
        }
        WriteFileAtomically(request.m_strCacheFile, bmp.data(), bmp.size());
        dib.ReadFromMemory(bmp);
    }
    return std::make_unique<CPicturePreview>(dib.Bitmap());
}

std::unique_ptr<CPreview> CDATImageFileType::MakeNoPalettePreview()
{
    return std::make_unique<CLinePreview>(UiServices().Translate(kNoPaletteText));
}

std::unique_ptr<CPreview> CDATImageFileType::FailedPreview() const
{
    return std::make_unique<CPicturePreview>(SBitmap());
}

bool CDATImageFileType::WriteBitmap(const SArchiveContext& archive, CDATInternalFile* item, const std::string& path,
                                    CWnd* wnd) const
{
    return WriteConverted(archive, item, path, wnd, nullptr);
}

bool CDATImageFileType::WritePng(const SArchiveContext& archive, CDATInternalFile* item, const std::string& path,
                                 CWnd* wnd, bool transparent) const
{
    return WriteConverted(archive, item, path, wnd, &transparent);
}

bool CDATImageFileType::WriteConverted(const SArchiveContext& archive, CDATInternalFile* item,
                                       const std::string& path, CWnd* wnd, const bool* pngTransparent) const
{
    std::string bmp;
    switch (Convert(Source(archive, *item), true, bmp)) {
    case kNoPalette:
        archive.Ui().MessageBox(
            wnd, archive.Ui().Text(DRAVIK_TR_NOOP("Core", "Невозможно сохранить файл. Нет палитры.\nФайл: %1"), {ReplaceExtension(path, ".frm")}),
            DRAVIK_TR_NOOP("Core", "Ошибка"), MB_OK | MB_ICONINFORMATION);
        return false;
    case kRefused: return false;
    case kConverted: break;
    }
    if (pngTransparent)
        bmp = BmpToPng(bmp, *pngTransparent);
    WriteFileAtomically(path, bmp.data(), bmp.size());
    return true;
}

void CDATImageFileType::OpenAsBitmap(const SArchiveContext& archive, CDATInternalFile* item, CWnd* wnd) const
{
    const std::string path = OpenedFiles().PathFor(archive.ArchivePath(), *item, ".bmp");
    if (!WriteBitmap(archive, item, path, wnd))
        return;
    std::string error;
    if (!archive.Ui().OpenWithDefaultProgram(wnd, path, &error))
        ReportOpenFailure(archive.Ui(), wnd, error);
}

void CDATImageFileType::SaveAsWithBitmap(const SArchiveContext& archive, CDATInternalFile* item, CWnd* parent) const
{
    const std::string filter = DecodeToUtf8(m_strDescription) + "|*." + DecodeToUtf8(m_strExtension) +
                               "|Bitmap files (*.bmp)|*.bmp|PNG files (*.png)|*.png|PNG files, opaque (*.png)|*.png"
                               "|All files (*.*)|*.*||";
    auto chosen = archive.Ui().GetSaveFileName(parent, filter, EntryNameForDisk(item->m_strName));
    if (!chosen)
        return;
    if (chosen->m_nFilterIndex == 1)
        SaveEntryTo(archive, *item, chosen->m_strPath);
    else if (chosen->m_nFilterIndex == 2)
        WriteBitmap(archive, item, chosen->m_strPath, parent);
    else if (chosen->m_nFilterIndex == 3 || chosen->m_nFilterIndex == 4)
        WritePng(archive, item, chosen->m_strPath, parent, chosen->m_nFilterIndex == 3);
}
