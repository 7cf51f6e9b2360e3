#pragma once
// The file type: one per extension met in an archive, shared by every entry
// of that extension (letter case ignored). It holds no state of any entry:
// what it does is given the archive it works on.
#include "archive/datitem.h"
#include "archive/previewrequest.h"
#include "platform/preview.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct SArchiveContext;

// Shared, so that a preview being made on a worker thread keeps its type alive.
class CDATFileType : public CDATDescriptor, public std::enable_shared_from_this<CDATFileType>
{
public:
    CDATFileType(std::string description, std::string extension, int image);
    virtual ~CDATFileType() = default;
    CDATFileType(const CDATFileType&) = delete;
    CDATFileType& operator=(const CDATFileType&) = delete;

    virtual void SaveAs(const SArchiveContext& archive, CDATInternalFile* item, CWnd* parent);
    virtual void ShowProperties(const SArchiveContext& archive, CDATInternalFile* item, CWnd* parent);
    virtual void Open(const SArchiveContext& archive, CDATInternalFile* item, CWnd* wnd);

    // Previews. Prepare runs on the GUI thread and may write the cache; Make
    // may run on any thread and raises for an entry that cannot be shown;
    // Failed is what the pane shows then. A null preview shows the name.
    virtual SPreviewRequest PreparePreview(const SArchiveContext& archive, CDATInternalFile& item) const;
    virtual std::unique_ptr<CPreview> MakePreview(const SPreviewRequest& request) const;
    virtual std::unique_ptr<CPreview> FailedPreview() const { return nullptr; }
    // Large entries are prepared on a worker thread.
    virtual bool IsPreviewLarge(const CDATInternalFile& item) const;
    // Changes when a setting that shapes this type's previews changes.
    virtual unsigned PreviewGeneration(const SArchiveContext&) const { return 0; }

    // The save dialog's filter: this type, then all files.
    std::string SaveFilter() const;

    std::string m_strDescription;
    std::string m_strExtension;
    std::int32_t m_nImage;
    std::uint32_t m_nTypeKey;
};

// Writes an entry of the archive, unpacked, to path; a damaged entry writes
// nothing and raises CArchiveException.
void SaveEntryTo(const SArchiveContext& archive, const CDATInternalFile& item, const std::string& path);

// The 32-bit type key of an extension: each byte taken as a signed char, A-Z
// folded, key = byte + (key rotated left by 8).
std::uint32_t HashExtension(std::string_view text);

// The extension an entry's type goes by: after the last '.' anywhere in its
// stored name, up to the next backslash.
std::string_view EntryExtension(std::string_view storedName);

// The type for an extension, made by the registry of the handlers; the caller owns it.
std::unique_ptr<CDATFileType> CreateFileType(std::string_view extension);
