#include "filetypes/frmfiletype.h"

#include "archive/archivecontext.h"
#include "archive/extract.h"
#include "archive/filenames.h"
#include "formats/picture.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/uiservices.h"

const CDATInternalFile* FindPaletteFor(const CDATArchive& archive, const CDATInternalFile& item)
{
    return archive.FindEntry(ReplaceExtension(item.m_strName, ".pal"));
}

SPreviewRequest CDAT_FRM_FileType::Source(const SArchiveContext& archive, const CDATInternalFile& item) const
{
    SPreviewRequest request = CDATImageFileType::Source(archive, item);
    if (const CDATInternalFile* palette = FindPaletteFor(*archive.m_pArchive, item))
        request.m_palette.emplace(*palette);
    return request;
}

CDATImageFileType::EConversion CDAT_FRM_FileType::Convert(const SPreviewRequest& request, bool,
                                                          std::string& bmp) const
{
    if (!request.m_palette)
        return kNoPalette;
    bmp = FrmEntryToBmp(request.m_strArchivePath, request.m_entry, *request.m_palette);
    return kConverted;
}

std::string FrmEntryToBmp(const std::string& archivePath, const CDATInternalFile& item,
                          const CDATInternalFile& palette)
{
    CFile archive(archivePath, CFile::modeRead);
    const std::string frm = ReadEntryData(archive, item);
    const std::string pal = ReadEntryData(archive, palette);
    return FrmToBmp(frm, pal, archivePath + ": " + DecodeToUtf8(item.m_strName));
}
