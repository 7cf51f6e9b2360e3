#include "archive/datfiletype.h"

#include "archive/archivecontext.h"
#include "archive/extract.h"
#include "archive/namecompare.h"
#include "archive/filenames.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/uiservices.h"

CDATFileType::CDATFileType(std::string description, std::string extension, int image)
    : m_strDescription(std::move(description)), m_strExtension(std::move(extension)), m_nImage(image),
      m_nTypeKey(HashExtension(m_strExtension))
{
}

std::string CDATFileType::SaveFilter() const
{
    return DecodeToUtf8(m_strDescription) + "|*." + DecodeToUtf8(m_strExtension) + "|All files (*.*)|*.*||";
}

void CDATFileType::SaveAs(const SArchiveContext& archive, CDATInternalFile* item, CWnd* parent)
{
    auto chosen = archive.Ui().GetSaveFileName(parent, SaveFilter(), EntryNameForDisk(item->m_strName));
    if (!chosen)
        return;
    SaveEntryTo(archive, *item, chosen->m_strPath);
}

void CDATFileType::ShowProperties(const SArchiveContext& archive, CDATInternalFile* item, CWnd* parent)
{
    archive.Ui().ShowProperties(item, parent);
}

void CDATFileType::Open(const SArchiveContext&, CDATInternalFile*, CWnd*) {}

SPreviewRequest CDATFileType::PreparePreview(const SArchiveContext& archive, CDATInternalFile& item) const
{
    SPreviewRequest request{archive.EntryFile(item), item};
    for (const CDATFolder* f = item.m_pParent; f && !f->IsRoot(); f = f->m_pParent)
        request.m_folders.insert(request.m_folders.begin(), f->m_strName);
    return request;
}

std::unique_ptr<CPreview> CDATFileType::MakePreview(const SPreviewRequest&) const
{
    return nullptr;
}

bool CDATFileType::IsPreviewLarge(const CDATInternalFile& item) const
{
    return item.m_nPackedSize > (256u << 10) || item.m_nRealSize > (1u << 20);
}

void SaveEntryTo(const SArchiveContext& context, const CDATInternalFile& item, const std::string& path)
{
    const std::string archivePath = context.EntryFile(item);
    CFile archive(archivePath, CFile::modeRead);
    ThrowIfDamaged(Extract(archive, item, path, SExtractOptions{}).m_nStatus, item, archivePath);
}

std::uint32_t HashExtension(std::string_view text)
{
    std::uint32_t key = 0;
    for (char ch : text) {
        auto folded = static_cast<signed char>(FoldAscii(static_cast<unsigned char>(ch)));
        key = std::uint32_t(std::int32_t(folded)) + ((key << 8) | (key >> 24));
    }
    return key;
}
