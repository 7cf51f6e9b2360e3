#pragma once
// Random access to an entry's bytes without holding them: a stored entry is
// read where it lies; a compressed one is inflated from the nearest restart
// point, kept every few MiB of output by one pass over the stream.
#include "archive/datitem.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CEntryReader
{
public:
    CEntryReader(std::string archivePath, const CDATInternalFile& entry);
    ~CEntryReader();
    CEntryReader(const CEntryReader&) = delete;
    CEntryReader& operator=(const CEntryReader&) = delete;

    // One pass over a compressed entry, keeping restart points. Returns false
    // when cancel was set on the way; raises CArchiveException for damage.
    bool Index(const std::atomic<bool>* cancel = nullptr);
    std::uint64_t Size() const { return m_entry.m_nRealSize; }
    // Up to count bytes from offset; fewer at the end.
    std::size_t Read(std::uint64_t offset, unsigned char* out, std::size_t count);

    static constexpr std::uint64_t kPointStep = 4u << 20;
    static constexpr std::size_t kBlock = 64u << 10;
    // Memory held by the restart points.
    std::size_t Bytes() const;

private:
    struct SPoint;
    const unsigned char* Block(std::uint64_t index);
    void InflateBlock(std::uint64_t start, std::size_t length);

    std::string m_strArchivePath;
    CDATInternalFile m_entry;
    std::vector<std::unique_ptr<SPoint>> m_points; // by output offset, the first at 0
    bool m_bIndexed = false;
    std::vector<unsigned char> m_block;
    std::uint64_t m_nBlock = UINT64_MAX;
};
