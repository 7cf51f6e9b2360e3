#include "filetypes/frmfiletype.h"

#include "archive/datfiledoc.h"
#include "archive/extract.h"
#include "filetypes/filenames.h"
#include "formats/picture.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/uiservices.h"

CDATInternalFile* FindPaletteFor(const CDATInternalFile& item)
{
    return g_pDocument->FindEntry(ReplaceExtension(item.m_strName, ".pal"));
}

CDATImageFileType::EConversion CDAT_FRM_FileType::ConvertEntry(CDATInternalFile* item, const std::string& bmpPath,
                                                               CWnd* wnd, bool interactive)
{
    CDATInternalFile* palette = FindPaletteFor(*item);
    if (!palette) {
        if (interactive)
            UiServices().MessageBox(wnd,
                                    "Невозможно сохранить файл. Нет палитры.\nФайл: " +
                                        ReplaceExtension(bmpPath, ".frm"),
                                    "Ошибка", MB_OK | MB_ICONINFORMATION);
        return kNoPalette;
    }
    const std::string bmp = FrmEntryToBmp(*item, *palette);
    WriteFileAtomically(bmpPath, bmp.data(), bmp.size());
    return kConverted;
}

std::string FrmEntryToBmp(const CDATInternalFile& item, const CDATInternalFile& palette)
{
    const std::string& archivePath = g_pDocument->GetPathName();
    CFile archive(archivePath, CFile::modeRead);
    const std::string frm = ReadEntryData(archive, item);
    const std::string pal = ReadEntryData(archive, palette);
    return FrmToBmp(frm, pal, archivePath + ": " + DecodeToUtf8(item.m_strName));
}
