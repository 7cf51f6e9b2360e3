#include "filetypes/datfiletype.h"

#include "archive/datfiledoc.h"
#include "archive/extract.h"
#include "archive/namecompare.h"
#include "archive/filenames.h"
#include "platform/cdc.h"
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

void CDATFileType::SaveAs(CDATInternalFile* item, CWnd* parent)
{
    auto chosen = UiServices().GetSaveFileName(parent, SaveFilter(), EntryNameForDisk(item->m_strName));
    if (!chosen)
        return;
    SaveEntryTo(*item, chosen->m_strPath);
}

void CDATFileType::Draw(CDATInternalFile* item, CDC* dc, RECT* rect)
{
    RECT r = *rect;
    dc->DrawText(DecodeToUtf8(item->m_strName), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void CDATFileType::ShowProperties(CDATInternalFile* item, CWnd* parent)
{
    UiServices().ShowProperties(item, parent);
}

void CDATFileType::Open(CDATInternalFile*, CWnd*) {}

void SaveEntryTo(const CDATInternalFile& item, const std::string& path)
{
    const std::string& archivePath = g_pDocument->GetPathName();
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
