#pragma once
// The archive's items: folders and file entries, and the id-bearing base that
// folders share with file-type handlers.
#include "platform/rect.h"

#include <cstdint>
#include <string>

class CDC;
class CWnd;
class CDATFolder;
class CDATFileType;

// Serial numbers of folders and handlers; the document sets it back to 1 when it
// empties itself. The root folder holds 0.
extern std::uint32_t g_nNextItemId;

class CDATDescriptor
{
public:
    CDATDescriptor() : m_nID(g_nNextItemId++) {}
    explicit CDATDescriptor(std::uint32_t id) : m_nID(id) {}

    std::uint32_t m_nID;
};

class CDATItem
{
public:
    CDATItem(CDATFolder* parent, std::uint8_t depth);
    CDATItem(const CDATItem&) = default;
    CDATItem& operator=(const CDATItem&) = default;
    virtual ~CDATItem() = default;

    virtual const std::string& GetName() const = 0;
    virtual int GetImage() const = 0;
    virtual void Draw(CDC* dc, RECT* rect) = 0;
    virtual std::uint32_t GetTypeKey() const = 0;
    virtual void ShowProperties(CWnd* parent);
    // Text slots: at most maxLength - 1 bytes and always a terminating zero.
    virtual void GetTypeText(char* buffer, int maxLength) const = 0;
    // Number slots: the caller's buffer holds at least 11 bytes.
    virtual void GetSizeText(char* buffer, int maxLength) const = 0;
    virtual void GetPackedSizeText(char* buffer, int maxLength) const = 0;
    virtual void GetOffsetText(char* buffer, int maxLength) const = 0;

    CDATFolder* m_pParent;
    std::uint8_t m_nDepth;
};

class CDATFolder final : public CDATItem, public CDATDescriptor
{
public:
    // A null parent means the root folder. Takes the next id.
    CDATFolder(std::string name, std::uint8_t depth, CDATFolder* parent);
    // For the root folder and for records whose id was already drawn.
    CDATFolder(std::string name, std::uint8_t depth, CDATFolder* parent, std::uint32_t id);

    const std::string& GetName() const override { return m_strName; }
    int GetImage() const override { return 1; }
    void Draw(CDC*, RECT*) override {}
    std::uint32_t GetTypeKey() const override { return 0; }
    void GetTypeText(char* buffer, int maxLength) const override;
    void GetSizeText(char* buffer, int maxLength) const override;
    void GetPackedSizeText(char* buffer, int maxLength) const override;
    void GetOffsetText(char* buffer, int maxLength) const override;

    std::string m_strName;
    // Dense number of the folder within its document (creation order), used by
    // the document's per-folder indexes; not part of the folder's identity.
    std::uint32_t m_nIndex = UINT32_MAX;
};

class CDATInternalFile final : public CDATItem
{
public:
    // A null parent means the root folder.
    CDATInternalFile(CDATFolder* parent, std::uint8_t depth, std::string name, std::uint32_t realSize,
                     std::uint32_t offset, std::uint32_t packedSize, CDATFileType* type);
    // A copy gets an empty cache path; assignment keeps the target's.
    CDATInternalFile(const CDATInternalFile& other);
    CDATInternalFile& operator=(const CDATInternalFile& other);
    CDATInternalFile(CDATInternalFile&& other) noexcept;
    CDATInternalFile& operator=(CDATInternalFile&&) = delete;

    const std::string& GetName() const override { return m_strName; }
    int GetImage() const override;
    void Draw(CDC* dc, RECT* rect) override;
    std::uint32_t GetTypeKey() const override;
    void ShowProperties(CWnd* parent) override;
    void GetTypeText(char* buffer, int maxLength) const override;
    void GetSizeText(char* buffer, int maxLength) const override;
    void GetPackedSizeText(char* buffer, int maxLength) const override;
    void GetOffsetText(char* buffer, int maxLength) const override;

    bool IsCompressed() const { return m_nRealSize != m_nPackedSize; }

    std::string m_strName;
    std::uint32_t m_nRealSize;
    std::uint32_t m_nOffset;
    std::uint32_t m_nPackedSize;
    CDATFileType* m_pType;
    std::string m_strCachePath;
};

extern CDATFolder g_rootFolder;

// lstrcpyn: at most maxLength - 1 bytes, always terminated (nothing for maxLength <= 0).
void CopyTextTruncated(char* buffer, int maxLength, const std::string& text);
// _ultoa radix 10.
void FormatUnsigned(char* buffer, std::uint32_t value);
