#include "filetypes/otherfiletype.h"

#include "archive/archivecontext.h"
#include "archive/entryreader.h"
#include "filetypes/hexpreview.h"
#include "filetypes/previews.h"
#include "filetypes/textencoding.h"
#include "filetypes/txtfiletype.h"

bool LooksLikeText(std::string_view sample)
{
    for (unsigned char c : sample)
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1A)
            return false;
    return true;
}

std::unique_ptr<CPreview> MakeHexPreview(const SPreviewRequest& request)
{
    auto reader = std::make_shared<CEntryReader>(request.m_strArchivePath, request.m_entry);
    if (!reader->Index(request.m_pCancel.get()))
        return nullptr;
    // An entry beyond the archive's end is refused now rather than at paint.
    unsigned char last;
    if (reader->Size() && reader->Read(reader->Size() - 1, &last, 1) != 1)
        return nullptr;
    return std::make_unique<CHexPreview>(std::move(reader));
}

SPreviewRequest CDATOtherFileType::PreparePreview(const SArchiveContext& archive, CDATInternalFile& item) const
{
    SPreviewRequest request = CDATFileType::PreparePreview(archive, item);
    request.m_nOption = int(CurrentTextEncoding(archive.ArchivePath()));
    return request;
}

std::unique_ptr<CPreview> CDATOtherFileType::MakePreview(const SPreviewRequest& request) const
{
    if (request.m_entry.m_nRealSize <= kMaxTextPreview) {
        CEntryReader reader(request.m_strArchivePath, request.m_entry);
        std::string bytes(std::min<std::size_t>(request.m_entry.m_nRealSize, 4096), '\0');
        bytes.resize(reader.Read(0, reinterpret_cast<unsigned char*>(bytes.data()), bytes.size()));
        if (!bytes.empty() && LooksLikeText(bytes)) {
            bytes.resize(request.m_entry.m_nRealSize);
            bytes.resize(reader.Read(0, reinterpret_cast<unsigned char*>(bytes.data()), bytes.size()));
            return std::make_unique<CTextPreview>(
                PrepareEntryText(bytes, request.m_folders, ETextEncoding(request.m_nOption)));
        }
    }
    return MakeHexPreview(request);
}

unsigned CDATOtherFileType::PreviewGeneration(const SArchiveContext&) const
{
    return TextEncodingGeneration();
}
