#include "archive/inflate.h"

#include "archive/datitem.h"
#include "formats/lzss.h"

#include <cstring>
#include <libdeflate.h>
#include <memory>
#include <zlib.h>

namespace {

struct SDecompressorDeleter
{
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

libdeflate_decompressor* Decompressor()
{
    thread_local std::unique_ptr<libdeflate_decompressor, SDecompressorDeleter> d(libdeflate_alloc_decompressor());
    return d.get();
}

} // namespace

int InflateEntryData(const unsigned char* src, std::size_t packedSize, unsigned char* dest, std::size_t realSize)
{
    static const unsigned char empty = 0;
    if (!src)
        src = &empty;
    if (libdeflate_decompressor* d = Decompressor()) {
        std::size_t produced = 0;
        libdeflate_result r = libdeflate_zlib_decompress(d, src, packedSize, dest, realSize, &produced);
        if (r == LIBDEFLATE_SUCCESS && produced == realSize)
            return Z_OK;
    }
    unsigned char scratch = 0;
    uLongf destLength = uLongf(realSize);
    int status = uncompress(realSize ? dest : &scratch, &destLength, src, uLong(packedSize));
    if (destLength > realSize)
        destLength = realSize;
    if (destLength < realSize)
        std::memset(dest + destLength, 0, realSize - destLength);
    if (status == Z_OK && destLength < realSize)
        status = Z_DATA_ERROR;
    return status;
}

int LzssZlibStatus(int lzssStatus)
{
    switch (ELzssStatus(lzssStatus)) {
    case ELzssStatus::kDone: return Z_OK;
    case ELzssStatus::kTooLong: return Z_BUF_ERROR;
    default: return Z_DATA_ERROR;
    }
}

int UnpackEntryData(const CDATInternalFile& entry, const unsigned char* src, std::size_t packedSize,
                    unsigned char* dest, std::size_t realSize)
{
    if (!entry.IsLzss())
        return InflateEntryData(src, packedSize, dest, realSize);
    std::size_t produced = 0;
    const ELzssStatus status =
        LzssInflate(entry.m_storage == EEntryStorage::kLzssBlocks ? ELzssFraming::kBlocks : ELzssFraming::kStream,
                    src, packedSize, dest, realSize, &produced);
    if (produced < realSize)
        std::memset(dest + produced, 0, realSize - produced);
    return LzssZlibStatus(int(status));
}
