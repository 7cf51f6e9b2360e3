#include "filetypes/datfiletype.h"

#include "archive/namecompare.h"
#include "platform/uiservices.h"

CDATFileType::CDATFileType(std::string description, std::string extension, int image)
    : m_strDescription(std::move(description)), m_strExtension(std::move(extension)), m_nImage(image),
      m_nTypeKey(HashExtension(m_strExtension))
{
}

void CDATFileType::SaveAs(CDATInternalFile*, CWnd*) {}

void CDATFileType::Draw(CDATInternalFile*, CDC*, RECT*) {}

void CDATFileType::ShowProperties(CDATInternalFile* item, CWnd* parent)
{
    UiServices().ShowProperties(item, parent);
}

void CDATFileType::Open(CDATInternalFile*, CWnd*) {}

std::uint32_t HashExtension(std::string_view text)
{
    std::uint32_t key = 0;
    for (char ch : text) {
        auto folded = static_cast<signed char>(FoldAscii(static_cast<unsigned char>(ch)));
        key = std::uint32_t(std::int32_t(folded)) + ((key << 8) | (key >> 24));
    }
    return key;
}
