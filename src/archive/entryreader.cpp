#include "archive/entryreader.h"

#include "archive/extract.h"
#include "platform/exceptions.h"
#include "platform/file.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

struct CEntryReader::SPoint
{
    std::uint64_t m_nOut = 0;
    std::uint64_t m_nIn = 0;
    z_stream m_z{};
    bool m_bLive = false;
    ~SPoint()
    {
        if (m_bLive)
            inflateEnd(&m_z);
    }
};

namespace {

constexpr std::size_t kInChunk = 64u << 10;

// Streams an entry from a restart point on; sink gets the output and says
// whether to go on.
template <class Sink>
int Inflate(CFile& archive, const CDATInternalFile& entry, z_stream& z, std::uint64_t in, Sink&& sink)
{
    std::vector<unsigned char> input(kInChunk), output(kInChunk);
    z.avail_in = 0;
    for (;;) {
        if (z.avail_in == 0 && in < entry.m_nPackedSize) {
            const std::size_t n = std::size_t(std::min<std::uint64_t>(kInChunk, entry.m_nPackedSize - in));
            if (archive.ReadAt(std::uint64_t(entry.m_nOffset) + in, input.data(), n) != n)
                return Z_DATA_ERROR;
            in += n;
            z.next_in = input.data();
            z.avail_in = uInt(n);
        }
        z.next_out = output.data();
        z.avail_out = uInt(sink.Room(output.size()));
        const uInt before = z.avail_out;
        const int status = inflate(&z, Z_NO_FLUSH);
        const std::size_t made = before - z.avail_out;
        if (made && !sink.Take(output.data(), made))
            return Z_OK;
        if (status == Z_STREAM_END)
            return Z_STREAM_END;
        if (status != Z_OK && status != Z_BUF_ERROR)
            return status == Z_NEED_DICT ? Z_DATA_ERROR : status;
        if (status == Z_BUF_ERROR && z.avail_in == 0 && in >= entry.m_nPackedSize)
            return Z_DATA_ERROR; // the stream stops before its end
        if (made == 0 && !sink.More())
            return Z_OK;
    }
}

} // namespace

CEntryReader::CEntryReader(std::string archivePath, const CDATInternalFile& entry)
    : m_strArchivePath(std::move(archivePath)), m_entry(entry)
{
    if (!m_entry.IsCompressed())
        return;
    auto first = std::make_unique<SPoint>();
    if (inflateInit(&first->m_z) != Z_OK)
        throw std::bad_alloc();
    first->m_bLive = true;
    m_points.push_back(std::move(first));
}

CEntryReader::~CEntryReader() = default;

std::size_t CEntryReader::Bytes() const
{
    return m_points.size() * (sizeof(SPoint) + (40u << 10)) + m_block.capacity();
}

bool CEntryReader::Index(const std::atomic<bool>* cancel)
{
    if (!m_entry.IsCompressed() || m_bIndexed)
        return true;
    CFile archive(m_strArchivePath, CFile::modeRead);
    z_stream z{};
    if (inflateCopy(&z, &m_points.front()->m_z) != Z_OK)
        throw std::bad_alloc();
    struct SSink
    {
        CEntryReader& self;
        z_stream& z;
        const std::atomic<bool>* cancel;
        std::uint64_t out = 0;
        std::uint64_t next = kPointStep;
        bool stopped = false;
        // Output stops at each restart point, so that the point lies on it.
        std::size_t Room(std::size_t room) const { return std::size_t(std::min<std::uint64_t>(room, next - out)); }
        bool More() const { return out < self.m_entry.m_nRealSize; }
        bool Take(const unsigned char*, std::size_t n)
        {
            out += n;
            if (out > self.m_entry.m_nRealSize)
                return false;
            if (out == next) {
                next += kPointStep;
                auto point = std::make_unique<SPoint>();
                if (inflateCopy(&point->m_z, &z) != Z_OK)
                    throw std::bad_alloc();
                point->m_bLive = true;
                point->m_nOut = out;
                point->m_nIn = z.total_in;
                self.m_points.push_back(std::move(point));
            }
            if (cancel && cancel->load(std::memory_order_relaxed)) {
                stopped = true;
                return false;
            }
            return true;
        }
    } sink{*this, z, cancel};
    int status;
    try {
        status = Inflate(archive, m_entry, z, 0, sink);
    } catch (...) {
        inflateEnd(&z);
        throw;
    }
    inflateEnd(&z);
    if (sink.stopped)
        return false;
    if (status == Z_STREAM_END && sink.out == m_entry.m_nRealSize)
        status = Z_OK;
    else if (status == Z_OK || status == Z_STREAM_END)
        status = sink.out > m_entry.m_nRealSize ? Z_BUF_ERROR : Z_DATA_ERROR;
    ThrowIfDamaged(status, m_entry, m_strArchivePath);
    m_bIndexed = true;
    return true;
}

void CEntryReader::InflateBlock(std::uint64_t start, std::size_t length)
{
    auto it = std::upper_bound(m_points.begin(), m_points.end(), start,
                               [](std::uint64_t v, const std::unique_ptr<SPoint>& p) { return v < p->m_nOut; });
    const SPoint& point = **(it - 1);
    CFile archive(m_strArchivePath, CFile::modeRead);
    z_stream z{};
    if (inflateCopy(&z, const_cast<z_stream*>(&point.m_z)) != Z_OK)
        throw std::bad_alloc();
    struct SSink
    {
        std::vector<unsigned char>& block;
        std::uint64_t skip;
        std::size_t length;
        std::size_t Room(std::size_t room) const { return room; }
        bool More() const { return block.size() < length; }
        bool Take(const unsigned char* data, std::size_t n)
        {
            const std::size_t skipped = std::size_t(std::min<std::uint64_t>(skip, n));
            skip -= skipped;
            const std::size_t take = std::min(n - skipped, length - block.size());
            block.insert(block.end(), data + skipped, data + skipped + take);
            return block.size() < length;
        }
    } sink{m_block, start - point.m_nOut, length};
    m_block.clear();
    int status;
    try {
        status = Inflate(archive, m_entry, z, point.m_nIn, sink);
    } catch (...) {
        inflateEnd(&z);
        throw;
    }
    inflateEnd(&z);
    if (m_block.size() < length)
        ThrowIfDamaged(status == Z_OK || status == Z_STREAM_END ? Z_DATA_ERROR : status, m_entry, m_strArchivePath);
}

const unsigned char* CEntryReader::Block(std::uint64_t index)
{
    if (index == m_nBlock)
        return m_block.data();
    m_nBlock = UINT64_MAX;
    const std::uint64_t start = index * kBlock;
    const std::size_t length = std::size_t(std::min<std::uint64_t>(kBlock, Size() - start));
    if (m_entry.IsCompressed()) {
        InflateBlock(start, length);
    } else {
        m_block.resize(length);
        CFile archive(m_strArchivePath, CFile::modeRead);
        if (archive.ReadAt(std::uint64_t(m_entry.m_nOffset) + start, m_block.data(), length) != length)
            ThrowIfDamaged(Z_DATA_ERROR, m_entry, m_strArchivePath);
    }
    m_nBlock = index;
    return m_block.data();
}

std::size_t CEntryReader::Read(std::uint64_t offset, unsigned char* out, std::size_t count)
{
    std::size_t done = 0;
    while (done < count && offset + done < Size()) {
        const std::uint64_t at = offset + done;
        const unsigned char* block = Block(at / kBlock);
        const std::size_t within = std::size_t(at % kBlock);
        const std::size_t n = std::min<std::uint64_t>(
            {count - done, kBlock - within, Size() - at});
        std::memcpy(out + done, block + within, n);
        done += n;
    }
    return done;
}
