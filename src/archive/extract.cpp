#include "archive/extract.h"

#include "archive/datitem.h"
#include "archive/inflate.h"
#include "archive/playerresource.h"
#include "formats/lzss.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "platform/file.h"
#include "platform/freespace.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <libdeflate.h>
#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace {

[[noreturn]] void ThrowBeyondEnd(CFile& archive, const CDATInternalFile& entry)
{
    CFileException e(CFileException::endOfFile, -1, archive.GetFilePath(),
                     "entry " + DecodeToUtf8(entry.m_strName) + " lies beyond the end of the archive");
    e.m_side = CFileException::archiveSide;
    throw e;
}

// Runs a read of the archive; what it raises is the archive's failure.
template <class F>
decltype(auto) FromArchive(F&& read)
{
    try {
        return read();
    } catch (CFileException& e) {
        e.m_side = CFileException::archiveSide;
        throw;
    }
}

void CheckEntryInArchive(CFile& archive, const CDATInternalFile& entry)
{
    std::uint64_t end = std::uint64_t(entry.m_nOffset) + entry.m_nPackedSize;
    if (end > FromArchive([&] { return archive.GetLength(); }))
        ThrowBeyondEnd(archive, entry);
}

// Deflate grows data at most 1032-fold, LZSS 144 bytes from 17: a larger
// claim is damage, found before the memory or disk it claims is taken.
bool ClaimsMoreThanStreamHolds(const CDATInternalFile& entry)
{
    const std::uint64_t ratio = entry.IsLzss() ? 9 : 1032;
    return entry.IsCompressed() && std::uint64_t(entry.m_nRealSize) > (std::uint64_t(entry.m_nPackedSize) + 1) * ratio;
}

void ReadStored(CFile& archive, const CDATInternalFile& entry, unsigned char* buffer)
{
    if (FromArchive([&] { return archive.ReadAt(entry.m_nOffset, buffer, entry.m_nPackedSize); }) !=
        entry.m_nPackedSize)
        ThrowBeyondEnd(archive, entry);
    FromArchive([&] { return archive.Seek(std::int64_t(entry.m_nOffset) + entry.m_nPackedSize, CFile::begin); });
}

// A read or read-write view of a whole file; nothing is mapped for length 0.
class CMapping
{
public:
    CMapping(CFile& file, std::size_t length, bool writable) : m_nLength(length)
    {
        if (length == 0)
            return;
        int prot = writable ? PROT_READ | PROT_WRITE : PROT_READ;
        void* p = ::mmap(nullptr, length, prot, MAP_SHARED, file.GetHandle(), 0);
        if (p == MAP_FAILED)
            CFileException::ThrowErrno(errno, file.GetFilePath(), "the file could not be mapped");
        m_pView = static_cast<unsigned char*>(p);
    }
    ~CMapping()
    {
        if (m_pView)
            ::munmap(m_pView, m_nLength);
    }
    CMapping(const CMapping&) = delete;
    CMapping& operator=(const CMapping&) = delete;
    unsigned char* View() const { return m_pView; }

private:
    unsigned char* m_pView = nullptr;
    std::size_t m_nLength;
};

// Reserves the blocks too, so that writing through a mapping can never fault
// on a full disk.
void SetMappedLength(CFile& file, std::uint64_t length)
{
    if (length == 0)
        return;
    int rc = ::posix_fallocate(file.GetHandle(), 0, off_t(length));
    if (rc == 0)
        return;
    if (rc == EOPNOTSUPP || rc == EINVAL)
        file.SetLength(length);
    else
        CFileException::ThrowErrno(rc, file.GetFilePath());
}

// Removes a scratch file when the routine leaves.
struct SRemoveOnExit
{
    std::string m_strPath;
    ~SRemoveOnExit() { ::unlink(m_strPath.c_str()); }
};

// Runs body, which writes out's sibling. A failure there is reported under the
// final name: the sibling is gone by the time anyone reads the message.
template <class F>
void WriteSibling(CAtomicFile& out, F&& body)
{
    try {
        body();
    } catch (const CFileException& e) {
        if (e.m_strFileName != out.TempPath())
            throw;
        CFileException renamed(e.m_cause, e.m_lOsError, out.FinalPath(), e.m_strDetail);
        renamed.m_side = CFileException::destinationSide;
        throw renamed;
    }
}

[[noreturn]] void ThrowTooLarge(CFile& archive, const CDATInternalFile& entry)
{
    CFileException e(CFileException::generic, -1, archive.GetFilePath(),
                     "entry " + DecodeToUtf8(entry.m_strName) + " is too large to unpack in memory");
    e.m_side = CFileException::archiveSide;
    throw e;
}

void MakeExecutable(CFile& file)
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(file.GetHandle(), 0777 & ~mask);
}

} // namespace

int ExtractEntry(CFile& archive, const CDATInternalFile& entry, const std::string& path, bool keepDamaged)
{
    CheckEntryInArchive(archive, entry);
    if (entry.m_nRealSize > kMaxInMemoryEntry)
        ThrowTooLarge(archive, entry);
    if (ClaimsMoreThanStreamHolds(entry))
        return Z_DATA_ERROR;
    CAtomicFile out(path);
    std::unique_ptr<unsigned char[]> packed(new unsigned char[entry.m_nPackedSize ? entry.m_nPackedSize : 1]);
    ReadStored(archive, entry, packed.get());
    int status = 0;
    if (!entry.IsCompressed()) {
        WriteSibling(out, [&] { out.File().Write(packed.get(), entry.m_nPackedSize); });
    } else {
        std::unique_ptr<unsigned char[]> real(new unsigned char[entry.m_nRealSize ? entry.m_nRealSize : 1]);
        status = UnpackEntryData(entry, packed.get(), entry.m_nPackedSize, real.get(), entry.m_nRealSize);
        packed.reset();
        if (status != Z_OK && !keepDamaged)
            return status; // the sibling goes; an old file at path stays as it was
        WriteSibling(out, [&] { out.File().Write(real.get(), entry.m_nRealSize); });
    }
    out.Commit();
    return status;
}

namespace {

// One thread's buffers and inflate state for StreamEntryData, made once.
struct SStreamState
{
    static constexpr std::size_t kIn = 256 << 10;
    static constexpr std::size_t kOut = 1 << 20;
    SStreamState() : m_in(new unsigned char[kIn]), m_out(new unsigned char[kOut])
    {
        m_bZlibReady = inflateInit(&m_z) == Z_OK;
        m_pFast = libdeflate_alloc_decompressor();
    }
    ~SStreamState()
    {
        if (m_bZlibReady)
            inflateEnd(&m_z);
        if (m_pFast)
            libdeflate_free_decompressor(m_pFast);
    }
    SStreamState(const SStreamState&) = delete;
    SStreamState& operator=(const SStreamState&) = delete;

    std::unique_ptr<unsigned char[]> m_in, m_out;
    z_stream m_z{};
    bool m_bZlibReady = false;
    libdeflate_decompressor* m_pFast = nullptr;
};

SStreamState& StreamState()
{
    thread_local SStreamState state;
    return state;
}

// Reads the next piece of the entry's stored bytes; raises when the archive ends first.
std::size_t ReadPiece(CFile& archive, const CDATInternalFile& entry, std::uint64_t done, unsigned char* buffer,
                      std::size_t capacity)
{
    const std::uint64_t left = entry.m_nPackedSize - done;
    const std::size_t n = left < capacity ? std::size_t(left) : capacity;
    if (FromArchive([&] { return archive.ReadAt(entry.m_nOffset + done, buffer, n); }) != n)
        ThrowBeyondEnd(archive, entry);
    return n;
}

int StreamLzss(CFile& archive, const CDATInternalFile& entry, const EntrySink& sink)
{
    SStreamState& st = StreamState();
    CLzssInflater inflater(
        entry.m_storage == EEntryStorage::kLzssBlocks ? ELzssFraming::kBlocks : ELzssFraming::kStream,
        entry.m_nRealSize);
    std::uint64_t read = 0;
    for (;;) {
        if (inflater.m_nAvailIn == 0 && read < entry.m_nPackedSize) {
            const std::size_t n = ReadPiece(archive, entry, read, st.m_in.get(), st.kIn);
            read += n;
            inflater.m_pIn = st.m_in.get();
            inflater.m_nAvailIn = n;
        }
        inflater.m_pOut = st.m_out.get();
        inflater.m_nAvailOut = st.kOut;
        const ELzssStatus status = inflater.Run(read == entry.m_nPackedSize);
        if (const std::size_t made = st.kOut - inflater.m_nAvailOut)
            sink(st.m_out.get(), made);
        if (status != ELzssStatus::kMore)
            return LzssZlibStatus(int(status));
    }
}

} // namespace

int StreamEntryData(CFile& archive, const CDATInternalFile& entry, const EntrySink& sink)
{
    SStreamState& st = StreamState();
    // An entry read in one piece is found short by that read, before sink
    // sees anything; only a longer one needs the archive's length first.
    if (entry.m_nPackedSize > st.kIn)
        CheckEntryInArchive(archive, entry);
    if (!entry.IsCompressed()) {
        for (std::uint64_t done = 0; done < entry.m_nPackedSize;) {
            const std::size_t n = ReadPiece(archive, entry, done, st.m_in.get(), st.kIn);
            sink(st.m_in.get(), n);
            done += n;
        }
        return Z_OK;
    }
    if (entry.IsLzss())
        return StreamLzss(archive, entry, sink);

    // An entry that fits the buffers whole goes through libdeflate; anything it
    // does not take as good is streamed through zlib for zlib's own verdict.
    if (st.m_pFast && entry.m_nPackedSize <= st.kIn && entry.m_nRealSize <= st.kOut) {
        const std::size_t n = ReadPiece(archive, entry, 0, st.m_in.get(), st.kIn);
        std::size_t produced = 0;
        if (libdeflate_zlib_decompress(st.m_pFast, st.m_in.get(), n, st.m_out.get(), entry.m_nRealSize,
                                       &produced) == LIBDEFLATE_SUCCESS &&
            produced == entry.m_nRealSize) {
            if (produced)
                sink(st.m_out.get(), produced);
            return Z_OK;
        }
    }

    if (!st.m_bZlibReady)
        return Z_MEM_ERROR;
    z_stream& z = st.m_z;
    inflateReset(&z);
    std::uint64_t read = 0, left = entry.m_nRealSize;
    int status = Z_OK;
    z.avail_in = 0;
    for (;;) {
        if (z.avail_in == 0 && read < entry.m_nPackedSize) {
            const std::size_t n = ReadPiece(archive, entry, read, st.m_in.get(), st.kIn);
            read += n;
            z.next_in = st.m_in.get();
            z.avail_in = uInt(n);
        }
        const std::size_t room = left < st.kOut ? std::size_t(left) : st.kOut;
        unsigned char spare;
        z.next_out = room ? st.m_out.get() : &spare;
        z.avail_out = room ? uInt(room) : 1;
        const uInt inBefore = z.avail_in;
        status = inflate(&z, Z_NO_FLUSH);
        const std::size_t made = room ? room - z.avail_out : 0;
        if (!room && z.avail_out == 0)
            return Z_BUF_ERROR; // more bytes than the real size
        if (made)
            sink(st.m_out.get(), made);
        left -= made;
        if (status == Z_STREAM_END)
            return left == 0 ? Z_OK : Z_DATA_ERROR; // a stream that ends short is damage too
        if (status == Z_NEED_DICT)
            return Z_DATA_ERROR;
        if (status != Z_OK && status != Z_BUF_ERROR)
            return status;
        // No progress: the packed bytes ran out before the stream ended.
        if (made == 0 && z.avail_in == inBefore && read >= entry.m_nPackedSize)
            return Z_DATA_ERROR;
    }
}

std::string ReadEntryData(CFile& archive, const CDATInternalFile& entry)
{
    CheckEntryInArchive(archive, entry);
    if (entry.m_nRealSize > kMaxInMemoryEntry)
        ThrowTooLarge(archive, entry);
    std::string packed(entry.m_nPackedSize, '\0');
    ReadStored(archive, entry, reinterpret_cast<unsigned char*>(packed.data()));
    if (!entry.IsCompressed())
        return packed;
    if (ClaimsMoreThanStreamHolds(entry))
        ThrowIfDamaged(Z_DATA_ERROR, entry, archive.GetFilePath());
    std::string real(entry.m_nRealSize, '\0');
    const int status = UnpackEntryData(entry, reinterpret_cast<const unsigned char*>(packed.data()), packed.size(),
                                       reinterpret_cast<unsigned char*>(real.data()), real.size());
    ThrowIfDamaged(status, entry, archive.GetFilePath());
    return real;
}

std::string ReadEntryHead(CFile& archive, const CDATInternalFile& entry, std::size_t count)
{
    CheckEntryInArchive(archive, entry);
    // Memory for the head is taken at once: only as much as the stream can hold.
    if (entry.IsCompressed() && ClaimsMoreThanStreamHolds(entry))
        ThrowIfDamaged(Z_DATA_ERROR, entry, archive.GetFilePath());
    const std::size_t want = std::size_t(std::min<std::uint64_t>(count, entry.m_nRealSize));
    if (entry.IsLzss() || (entry.IsCompressed() && !StreamState().m_bZlibReady)) {
        std::string whole = ReadEntryData(archive, entry);
        whole.resize(want);
        return whole;
    }
    std::string head(want, '\0');
    auto* out = reinterpret_cast<unsigned char*>(head.data());
    if (!entry.IsCompressed()) {
        if (want && ReadPiece(archive, entry, 0, out, want) != want)
            ThrowBeyondEnd(archive, entry);
        return head;
    }
    // Small pieces of input: a head of a few KiB reads a few KiB.
    constexpr std::size_t kPiece = 16 << 10;
    SStreamState& st = StreamState();
    z_stream& z = st.m_z;
    inflateReset(&z);
    z.next_out = out;
    z.avail_out = uInt(want);
    z.avail_in = 0;
    std::uint64_t read = 0;
    while (z.avail_out > 0) {
        if (z.avail_in == 0) {
            if (read >= entry.m_nPackedSize)
                ThrowIfDamaged(Z_DATA_ERROR, entry, archive.GetFilePath());
            const std::size_t n = ReadPiece(archive, entry, read, st.m_in.get(), std::min(st.kIn, kPiece));
            read += n;
            z.next_in = st.m_in.get();
            z.avail_in = uInt(n);
        }
        const int status = inflate(&z, Z_NO_FLUSH);
        if (status == Z_STREAM_END && z.avail_out > 0)
            ThrowIfDamaged(Z_DATA_ERROR, entry, archive.GetFilePath()); // it ends short of its real size
        if (status == Z_NEED_DICT || (status != Z_OK && status != Z_BUF_ERROR && status != Z_STREAM_END))
            ThrowIfDamaged(status == Z_NEED_DICT ? Z_DATA_ERROR : status, entry, archive.GetFilePath());
    }
    return head;
}

void CopyEntryBytes(CFile& archive, const CDATInternalFile& entry, const std::string& path)
{
    CheckFreeSpaceKB(path, entry.m_nPackedSize / 1024);
    CheckEntryInArchive(archive, entry);
    CAtomicFile out(path);
    FromArchive([&] { return archive.Seek(entry.m_nOffset, CFile::begin); });
    constexpr std::size_t kChunk = 64 * 1024;
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[kChunk]);
    std::uint32_t left = entry.m_nPackedSize;
    while (left > 0) {
        std::size_t n = left < kChunk ? left : kChunk;
        if (FromArchive([&] { return archive.Read(buffer.get(), n); }) != n)
            ThrowBeyondEnd(archive, entry);
        WriteSibling(out, [&] { out.File().Write(buffer.get(), n); });
        left -= std::uint32_t(n);
    }
    out.Commit();
}

int ExtractEntryMapped(CFile& archive, const CDATInternalFile& entry, const std::string& path, bool keepDamaged)
{
    if (!entry.IsCompressed()) {
        CopyEntryBytes(archive, entry, path);
        return 1;
    }
    if (ClaimsMoreThanStreamHolds(entry))
        return Z_DATA_ERROR;
    std::uint64_t needKB = (std::uint64_t(entry.m_nRealSize) + entry.m_nPackedSize) / 1024;
    CheckFreeSpaceKB(path, needKB);
    CheckEntryInArchive(archive, entry);

    // The packed copy is removed afterwards: a file of that name that is not
    // ours would be lost, so it is refused instead.
    const std::string tempPath = path + ".tmp";
    struct stat st;
    if (::lstat(tempPath.c_str(), &st) == 0)
        throw CFileException(CFileException::accessDenied, -1, tempPath,
                             "a file of this name is in the way of the packed copy");
    CopyEntryBytes(archive, entry, tempPath);
    SRemoveOnExit removeTemp{tempPath};

    int status = Z_OK;
    CAtomicFile out(path);
    WriteSibling(out, [&] {
        CFile raw(tempPath, CFile::modeRead);
        SetMappedLength(out.File(), entry.m_nRealSize);
        CMapping source(raw, entry.m_nPackedSize, false);
        CMapping dest(out.File(), entry.m_nRealSize, true);
        unsigned char scratch = 0;
        status = UnpackEntryData(entry, source.View(), entry.m_nPackedSize, dest.View() ? dest.View() : &scratch,
                                  entry.m_nRealSize);
    });
    if (status != Z_OK && !keepDamaged)
        return status; // the sibling goes; an old file at path stays as it was
    out.Commit();
    return status == Z_OK ? 1 : status;
}

int ExtractMovieWithPlayer(const std::string& rawPath, const std::string& path, const CDATInternalFile& entry,
                           bool keepDamaged)
{
    if (ClaimsMoreThanStreamHolds(entry))
        return Z_DATA_ERROR;
    const std::size_t playerSize = GetPlayerResourceSize();
    CFile raw(rawPath, CFile::modeRead);
    if (raw.GetLength() < entry.m_nPackedSize)
        throw CFileException(CFileException::endOfFile, -1, rawPath, "the packed copy of the movie is short");
    CAtomicFile out(path);
    const std::uint64_t total = std::uint64_t(playerSize) + entry.m_nRealSize;
    int status = Z_OK;
    WriteSibling(out, [&] {
        SetMappedLength(out.File(), total);
        CMapping source(raw, entry.m_nPackedSize, false);
        CMapping dest(out.File(), std::size_t(total), true);
        std::size_t copied = dest.View() ? CopyPlayerResource(dest.View()) : 0;
        unsigned char* movie = dest.View() ? dest.View() + copied : nullptr;
        if (entry.IsCompressed()) {
            unsigned char scratch = 0;
            status = UnpackEntryData(entry, source.View(), entry.m_nPackedSize, movie ? movie : &scratch,
                                      entry.m_nRealSize);
        } else if (entry.m_nPackedSize > 0) {
            std::memcpy(movie, source.View(), entry.m_nPackedSize);
        }
    });
    if (status != Z_OK && !keepDamaged)
        return status;
    MakeExecutable(out.File());
    out.Commit();
    return status;
}

namespace {

// Written as it inflates, so nothing but the bytes that came out of the
// archive reaches the disk.
SExtractResult StreamEntryTo(CFile& archive, const CDATInternalFile& entry, const std::string& path,
                             bool keepDamaged, CAtomicFile::EPlace place)
{
    SExtractResult result;
    CAtomicFile out(path, place);
    WriteSibling(out, [&] {
        result.m_nStatus = StreamEntryData(archive, entry, [&](const unsigned char* data, std::size_t size) {
            out.File().Write(data, size);
            result.m_nStreamed += size;
        });
    });
    if (result.Ok() || keepDamaged)
        out.Commit();
    return result;
}

} // namespace

SExtractResult Extract(CFile& archive, const CDATInternalFile& entry, const std::string& destination,
                       const SExtractOptions& options)
{
    try {
        if (!options.m_bPad)
            return StreamEntryTo(archive, entry, destination, options.m_bKeepDamaged, options.m_place);
        SExtractResult result;
        const bool mapped = options.m_whole == EWholeEntry::kMapped ||
                            (options.m_whole == EWholeEntry::kBySize && entry.m_nRealSize > kMaxInMemoryEntry);
        if (mapped) {
            const int status = ExtractEntryMapped(archive, entry, destination, options.m_bKeepDamaged);
            result.m_nStatus = status == 1 ? 0 : status;
        } else {
            result.m_nStatus = ExtractEntry(archive, entry, destination, options.m_bKeepDamaged);
        }
        return result;
    } catch (CFileException& e) {
        // Whatever the archive's reads did not claim happened on the way out.
        if (e.m_side == CFileException::unknownSide)
            e.m_side = CFileException::destinationSide;
        throw;
    }
}

const char* ZlibStatusText(int status)
{
    switch (status) {
    case Z_OK: return "no error";
    case Z_DATA_ERROR: return "the compressed data is damaged";
    case Z_MEM_ERROR: return "out of memory";
    case Z_BUF_ERROR: return "the data unpacks to more than the recorded size";
    default: return "the compressed data cannot be unpacked";
    }
}

void ThrowIfDamaged(int status, const CDATInternalFile& entry, const std::string& archivePath)
{
    if (status == Z_OK || status == 1)
        return;
    throw CArchiveException(CArchiveException::badIndex, archivePath,
                            "entry " + DecodeToUtf8(entry.m_strName) + " is damaged: " + ZlibStatusText(status) + " (zlib status " +
                                std::to_string(status) + ")");
}
