#pragma once
// The archive's items: folders and file entries, and the id-bearing base that
// folders share with file-type handlers.
#include "platform/rect.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct SArchiveContext;
class CWnd;
class CDATFolder;
class CDATFileType;

class CDATDescriptor
{
public:
    // Serial numbers of folders and types, drawn by the archive that holds them.
    explicit CDATDescriptor(std::uint32_t id = 0) : m_nID(id) {}

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
    virtual std::uint32_t GetTypeKey() const = 0;
    virtual void ShowProperties(const SArchiveContext& archive, CWnd* parent);
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
    // A null parent makes a root folder, its own parent.
    CDATFolder(std::string name, std::uint8_t depth, CDATFolder* parent, std::uint32_t id);

    bool IsRoot() const { return m_pParent == this; }

    const std::string& GetName() const override { return m_strName; }
    int GetImage() const override { return 1; }
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

// An entry's cache file name. Few entries are ever shown, so the text takes
// heap room only once set and the slot costs a pointer, not a std::string.
class CEntryCachePath
{
public:
    CEntryCachePath() = default;
    // The path belongs to one record: entries copy without it.
    CEntryCachePath(const CEntryCachePath&) = delete;
    CEntryCachePath(CEntryCachePath&&) noexcept = default;
    CEntryCachePath& operator=(const CEntryCachePath&) = delete;
    CEntryCachePath& operator=(CEntryCachePath&&) noexcept = default;
    CEntryCachePath& operator=(std::string path)
    {
        if (path.empty())
            m_p.reset();
        else if (m_p)
            *m_p = std::move(path);
        else
            m_p = std::make_unique<std::string>(std::move(path));
        return *this;
    }
    CEntryCachePath& operator=(const char* path) { return *this = std::string(path); }

    const std::string& str() const { return m_p ? *m_p : Empty(); }
    operator const std::string&() const { return str(); }
    bool empty() const { return !m_p; }
    std::size_t size() const { return str().size(); }
    const char* data() const { return str().data(); }
    const char* c_str() const { return str().c_str(); }
    void clear() { m_p.reset(); }
    friend bool operator==(const CEntryCachePath& a, std::string_view b) { return std::string_view(a.str()) == b; }

private:
    static const std::string& Empty();
    std::unique_ptr<std::string> m_p;
};

// How an entry's bytes are kept: the second game's archives say it by their
// sizes alone; the first game's entries say it in their attributes.
enum class EEntryStorage : std::uint8_t {
    kBySizes,    // zlib when the real and packed sizes differ, else stored
    kStored,     // real-size bytes as they are
    kLzssBlocks, // LZSS blocks behind 16-bit headers
    kLzssStream, // one LZSS stream
};

class CDATInternalFile final : public CDATItem
{
public:
    CDATInternalFile(CDATFolder* parent, std::uint8_t depth, std::string name, std::uint32_t realSize,
                     std::uint32_t offset, std::uint32_t packedSize, CDATFileType* type);
    // A copy (what a preview is made from) gets an empty cache path.
    CDATInternalFile(const CDATInternalFile& other);
    CDATInternalFile& operator=(const CDATInternalFile& other) = delete;
    CDATInternalFile(CDATInternalFile&& other) noexcept;
    CDATInternalFile& operator=(CDATInternalFile&&) = delete;

    const std::string& GetName() const override { return m_strName; }
    int GetImage() const override;
    std::uint32_t GetTypeKey() const override;
    void ShowProperties(const SArchiveContext& archive, CWnd* parent) override;
    void GetTypeText(char* buffer, int maxLength) const override;
    void GetSizeText(char* buffer, int maxLength) const override;
    void GetPackedSizeText(char* buffer, int maxLength) const override;
    void GetOffsetText(char* buffer, int maxLength) const override;

    bool IsCompressed() const
    {
        return m_storage == EEntryStorage::kBySizes ? m_nRealSize != m_nPackedSize : m_storage != EEntryStorage::kStored;
    }
    bool IsLzss() const { return m_storage == EEntryStorage::kLzssBlocks || m_storage == EEntryStorage::kLzssStream; }

    // The storage and the real size first: they fill the base's tail padding,
    // so a record of the 200,000 an archive may hold takes 80 bytes, not 112.
    EEntryStorage m_storage = EEntryStorage::kBySizes;
    std::uint32_t m_nRealSize;
    std::string m_strName;
    std::uint32_t m_nOffset;
    std::uint32_t m_nPackedSize;
    CDATFileType* m_pType;
    CEntryCachePath m_strCachePath;
};

// lstrcpyn: at most maxLength - 1 bytes, always terminated (nothing for maxLength <= 0).
void CopyTextTruncated(char* buffer, int maxLength, const std::string& text);
// _ultoa radix 10.
void FormatUnsigned(char* buffer, std::uint32_t value);
