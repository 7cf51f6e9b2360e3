#include "archive/datitem.h"

#include "archive/archivecontext.h"
#include "archive/datfiletype.h"
#include "platform/uiservices.h"

#include <cstring>

// The entry array of a large archive is most of the model's memory.
static_assert(sizeof(void*) != 8 || sizeof(CDATInternalFile) <= 80, "an entry record grew");

CDATItem::CDATItem(CDATFolder* parent, std::uint8_t depth) : m_pParent(parent), m_nDepth(depth) {}

void CDATItem::ShowProperties(const SArchiveContext& archive, CWnd* parent)
{
    archive.Ui().ShowProperties(this, parent);
}

void CopyTextTruncated(char* buffer, int maxLength, const std::string& text)
{
    if (maxLength <= 0)
        return;
    std::size_t n = std::min(text.size(), std::size_t(maxLength - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

void FormatUnsigned(char* buffer, std::uint32_t value)
{
    char tmp[11];
    int n = 0;
    do {
        tmp[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = 0; i < n; ++i)
        buffer[i] = tmp[n - 1 - i];
    buffer[n] = '\0';
}

CDATFolder::CDATFolder(std::string name, std::uint8_t depth, CDATFolder* parent, std::uint32_t id)
    : CDATItem(parent ? parent : this, depth), CDATDescriptor(id), m_strName(std::move(name))
{
}

void CDATFolder::GetTypeText(char* buffer, int maxLength) const
{
    static const std::string folder = "Folder";
    CopyTextTruncated(buffer, maxLength, folder);
}

void CDATFolder::GetSizeText(char* buffer, int) const
{
    buffer[0] = '\0';
}

void CDATFolder::GetPackedSizeText(char* buffer, int) const
{
    buffer[0] = '\0';
}

void CDATFolder::GetOffsetText(char* buffer, int) const
{
    buffer[0] = '\0';
}

CDATInternalFile::CDATInternalFile(CDATFolder* parent, std::uint8_t depth, std::string name, std::uint32_t realSize,
                                   std::uint32_t offset, std::uint32_t packedSize, CDATFileType* type)
    : CDATItem(parent, depth), m_nRealSize(realSize), m_strName(std::move(name)), m_nOffset(offset),
      m_nPackedSize(packedSize), m_pType(type)
{
}

CDATInternalFile::CDATInternalFile(const CDATInternalFile& other)
    : CDATItem(other), m_storage(other.m_storage), m_nRealSize(other.m_nRealSize), m_strName(other.m_strName),
      m_nOffset(other.m_nOffset), m_nPackedSize(other.m_nPackedSize), m_pType(other.m_pType)
{
}

// Moves happen only while the entry array is filled; the record moves whole.
CDATInternalFile::CDATInternalFile(CDATInternalFile&& other) noexcept
    : CDATItem(other), m_storage(other.m_storage), m_nRealSize(other.m_nRealSize),
      m_strName(std::move(other.m_strName)),
      m_nOffset(other.m_nOffset), m_nPackedSize(other.m_nPackedSize), m_pType(other.m_pType),
      m_strCachePath(std::move(other.m_strCachePath))
{
}

const std::string& CEntryCachePath::Empty()
{
    static const std::string empty;
    return empty;
}

int CDATInternalFile::GetImage() const
{
    return m_pType->m_nImage;
}

std::uint32_t CDATInternalFile::GetTypeKey() const
{
    return m_pType->m_nTypeKey;
}

void CDATInternalFile::ShowProperties(const SArchiveContext& archive, CWnd* parent)
{
    m_pType->ShowProperties(archive, this, parent);
}

void CDATInternalFile::GetTypeText(char* buffer, int maxLength) const
{
    CopyTextTruncated(buffer, maxLength, m_pType->m_strDescription);
}

void CDATInternalFile::GetSizeText(char* buffer, int) const
{
    FormatUnsigned(buffer, m_nRealSize);
}

void CDATInternalFile::GetPackedSizeText(char* buffer, int) const
{
    FormatUnsigned(buffer, m_nPackedSize);
}

void CDATInternalFile::GetOffsetText(char* buffer, int) const
{
    FormatUnsigned(buffer, m_nOffset);
}
