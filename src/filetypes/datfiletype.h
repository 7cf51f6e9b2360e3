#pragma once
// The file-type handler: one per extension met in an archive, shared by every
// entry of that extension (letter case ignored).
#include "archive/datitem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class CDATFileType : public CDATDescriptor
{
public:
    CDATFileType(std::string description, std::string extension, int image);
    virtual ~CDATFileType() = default;
    CDATFileType(const CDATFileType&) = delete;
    CDATFileType& operator=(const CDATFileType&) = delete;

    virtual void SaveAs(CDATInternalFile* item, CWnd* parent);
    virtual void Draw(CDATInternalFile* item, CDC* dc, RECT* rect);
    virtual void ShowProperties(CDATInternalFile* item, CWnd* parent);
    virtual void Open(CDATInternalFile* item, CWnd* wnd);

    // The save dialog's filter: this type, then all files.
    std::string SaveFilter() const;

    std::string m_strDescription;
    std::string m_strExtension;
    std::int32_t m_nImage;
    std::uint32_t m_nTypeKey;
};

// Writes an entry of the open archive, unpacked, to path; a damaged entry
// writes nothing and raises CArchiveException.
void SaveEntryTo(const CDATInternalFile& item, const std::string& path);

// The 32-bit type key of an extension: each byte taken as a signed char, A-Z
// folded, key = byte + (key rotated left by 8).
std::uint32_t HashExtension(std::string_view text);

// The handler class for an extension, by the fixed table; the caller owns it.
std::unique_ptr<CDATFileType> CreateFileType(std::string_view extension);
