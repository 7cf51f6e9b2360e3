#include "filetypes/rixfiletype.h"

#include "archive/datfiledoc.h"
#include "archive/extract.h"
#include "formats/picture.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "platform/file.h"

CDATImageFileType::EConversion CDAT_RIX_FileType::ConvertEntry(CDATInternalFile* item, const std::string& bmpPath,
                                                               CWnd*, bool interactive)
{
    const std::string& archivePath = g_pDocument->GetPathName();
    CFile archive(archivePath, CFile::modeRead);
    // A damaged entry is reported; only the picture's own refusal is silent.
    const std::string rix = ReadEntryData(archive, *item);
    std::string bmp;
    try {
        bmp = RixToBmp(rix, archivePath + ": " + DecodeToUtf8(item->m_strName));
    } catch (const CArchiveException& e) {
        // A picture that is not RIX is passed over silently in the pane; the
        // next showing tries again.
        if (interactive || e.m_cause != CArchiveException::badIndex)
            throw;
        item->m_strCachePath.clear();
        return kRefused;
    }
    WriteFileAtomically(bmpPath, bmp.data(), bmp.size());
    return kConverted;
}

std::string RixEntryToBmp(const CDATInternalFile& item)
{
    const std::string& archivePath = g_pDocument->GetPathName();
    CFile archive(archivePath, CFile::modeRead);
    const std::string rix = ReadEntryData(archive, item);
    return RixToBmp(rix, archivePath + ": " + DecodeToUtf8(item.m_strName));
}
