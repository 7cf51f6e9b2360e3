#pragma once
// Entries no viewer knows: offset, sixteen bytes in hex and the same bytes as
// text, a row per line. Only the rows in sight are read, from the archive.
#include "platform/preview.h"

#include <cstdint>
#include <memory>

class CEntryReader;

class CHexPreview : public CPreview
{
public:
    explicit CHexPreview(std::shared_ptr<CEntryReader> reader);
    SExtent Layout(CDC& measure, const RECT& content) override;
    void Draw(CDC& dc) const override;
    std::size_t Bytes() const override;

    static constexpr int kRowBytes = 16;
    // Rows past this many are not shown: the scroll range stays within int.
    static constexpr std::uint64_t kMaxRows = 1u << 25;
    std::uint64_t Rows() const { return m_nRows; }

private:
    std::shared_ptr<CEntryReader> m_pReader;
    std::uint64_t m_nRows = 0;
    RECT m_rcText{};
    int m_nLine = 16;
};

// One row as shown: offset, hex bytes, printable text.
std::string FormatHexRow(std::uint64_t offset, const unsigned char* bytes, std::size_t count);
