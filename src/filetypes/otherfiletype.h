#pragma once
// Types the registry has no handler for: text when the bytes are text (the
// game's many plain-text settings files), otherwise the hex view.
#include "archive/datfiletype.h"

#include <string_view>

class CDATOtherFileType : public CDATFileType
{
public:
    explicit CDATOtherFileType(const std::string& extension) : CDATFileType(extension, extension, 0) {}
    SPreviewRequest PreparePreview(const SArchiveContext& archive, CDATInternalFile& item) const override;
    std::unique_ptr<CPreview> MakePreview(const SPreviewRequest& request) const override;
    unsigned PreviewGeneration(const SArchiveContext& archive) const override;
};

// Whether the start of an entry reads as text: no zero bytes and no control
// characters but tabs, line ends, form feeds and the old end-of-file mark.
bool LooksLikeText(std::string_view sample);

// Texts up to this size show as text; longer ones in the hex view.
constexpr std::uint32_t kMaxTextPreview = 4u << 20;

// The hex view of an entry, indexed for random access; null when cancelled.
std::unique_ptr<CPreview> MakeHexPreview(const SPreviewRequest& request);
