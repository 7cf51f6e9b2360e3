// The first game's directory over hostile bytes: the input is a whole
// archive, parsed from memory. Whatever the parser accepts must lie inside
// the input, and the first entries are unpacked from it.
#include "archive/dat1parser.h"
#include "formats/lzss.h"
#include "platform/exceptions.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SDat1Directory dir;
    dir.m_bytes.assign(reinterpret_cast<const char*>(data), size);
    try {
        if (!ParseDat1Directory(dir, size, "fuzz.dat"))
            std::abort(); // the whole file was there: nothing more to read
    } catch (const CArchiveException&) {
        return 0;
    }
    std::string path;
    std::size_t done = 0;
    for (const SDat1Entry& e : dir.m_entries) {
        path.clear();
        dir.AppendPath(e, path);
        if (path.size() != dir.PathLength(e) || e.m_nFolder >= dir.m_folderNameAt.size())
            std::abort();
        const bool stored = e.m_nAttributes == kDat1Stored;
        const std::uint64_t packed = stored ? e.m_nRealSize : e.m_nPackedSize;
        if (std::uint64_t(e.m_nOffset) + packed > size)
            std::abort();
        // As extraction does: a size LZSS cannot reach from its packed bytes is damage, not unpacked.
        if (stored || ++done > 16 || std::uint64_t(e.m_nRealSize) > (packed + 1) * 9)
            continue;
        std::vector<unsigned char> out(e.m_nRealSize);
        std::size_t produced = 0;
        const ELzssStatus status =
            LzssInflate(e.m_nAttributes == kDat1Blocks ? ELzssFraming::kBlocks : ELzssFraming::kStream,
                        data + e.m_nOffset, std::size_t(packed), out.data(), out.size(), &produced);
        if (produced > out.size() || (status == ELzssStatus::kDone && produced != out.size()))
            std::abort();
    }
    return 0;
}
