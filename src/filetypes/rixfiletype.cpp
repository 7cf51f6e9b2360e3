#include "filetypes/rixfiletype.h"

#include "archive/archivecontext.h"
#include "archive/extract.h"
#include "formats/picture.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "platform/file.h"

CDATImageFileType::EConversion CDAT_RIX_FileType::Convert(const SPreviewRequest& request, bool interactive,
                                                          std::string& bmp) const
{
    CFile archive(request.m_strArchivePath, CFile::modeRead);
    // A damaged entry is reported; only the picture's own refusal is silent.
    const std::string rix = ReadEntryData(archive, request.m_entry);
    try {
        bmp = RixToBmp(rix, request.m_strArchivePath + ": " + DecodeToUtf8(request.m_entry.m_strName));
    } catch (const CArchiveException& e) {
        // A picture that is not RIX is passed over silently in the pane; the
        // next showing tries again.
        if (interactive || e.m_cause != CArchiveException::badIndex)
            throw;
        return kRefused;
    }
    return kConverted;
}

std::string RixEntryToBmp(const std::string& archivePath, const CDATInternalFile& item)
{
    CFile archive(archivePath, CFile::modeRead);
    const std::string rix = ReadEntryData(archive, item);
    return RixToBmp(rix, archivePath + ": " + DecodeToUtf8(item.m_strName));
}
