#include "dat1writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

constexpr std::size_t kRingSize = 4096;
constexpr std::size_t kRingStart = 0xFEE;
constexpr std::size_t kMinMatch = 3;
constexpr std::size_t kMaxMatch = 18;
constexpr int kChainDepth = 32;

void PutBE32(std::string& out, std::uint32_t v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out.append(b, 4);
}

std::uint32_t Hash3(const unsigned char* p)
{
    return ((std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2]) * 2654435761u) >> 19;
}

} // namespace

std::string LzssCompress(std::string_view data)
{
    // History as the decoder sees it: the ring's spaces, then the data; virtual
    // position v sits at ring position v & 0xFFF.
    std::string hist(kRingStart, ' ');
    hist.append(data);
    const auto* h = reinterpret_cast<const unsigned char*>(hist.data());
    const std::size_t end = hist.size();
    std::vector<std::int32_t> head(1 << 13, -1), prev(end, -1);
    auto insert = [&](std::size_t v) {
        if (v + 2 < end) {
            const std::uint32_t k = Hash3(h + v);
            prev[v] = head[k];
            head[k] = std::int32_t(v);
        }
    };
    for (std::size_t v = 0; v < kRingStart; ++v)
        insert(v);

    std::string out;
    std::size_t flagAt = 0;
    int bit = 8;
    for (std::size_t cur = kRingStart; cur < end;) {
        if (bit == 8) {
            flagAt = out.size();
            out += '\0';
            bit = 0;
        }
        std::size_t bestLen = 0, bestPos = 0;
        if (cur + kMinMatch <= end) {
            const std::size_t limit = std::min(kMaxMatch, end - cur);
            int depth = kChainDepth;
            for (std::int32_t c = head[Hash3(h + cur)]; c >= 0 && depth-- > 0; c = prev[std::size_t(c)]) {
                const std::size_t s = std::size_t(c);
                if (cur - s > kRingSize)
                    break;
                std::size_t n = 0;
                while (n < limit && h[s + n] == h[cur + n])
                    ++n;
                if (n > bestLen) {
                    bestLen = n;
                    bestPos = s;
                    if (n == limit)
                        break;
                }
            }
        }
        if (bestLen >= kMinMatch) {
            const std::size_t p = bestPos & 0xFFF;
            out += char(p & 0xFF);
            out += char(((p >> 4) & 0xF0) | (bestLen - kMinMatch));
            for (std::size_t k = 0; k < bestLen; ++k)
                insert(cur + k);
            cur += bestLen;
        } else {
            out[flagAt] = char(out[flagAt] | (1 << bit));
            out += char(h[cur]);
            insert(cur);
            ++cur;
        }
        ++bit;
    }
    return out;
}

std::string LzssBlocks(std::string_view data, std::size_t blockSize, bool storeAll)
{
    if (blockSize == 0 || (storeAll && blockSize > 0x7FFF))
        throw std::invalid_argument("LZSS block size out of range");
    std::string out;
    for (std::size_t at = 0; at < data.size(); at += blockSize) {
        const std::string_view piece = data.substr(at, blockSize);
        std::string packed = storeAll ? std::string() : LzssCompress(piece);
        const bool stored = storeAll || packed.size() >= piece.size() || packed.size() > 0x7FFF;
        if (stored && piece.size() > 0x7FFF)
            throw std::invalid_argument("stored block over 32767 bytes");
        const std::size_t header = stored ? (0x8000 | piece.size()) : packed.size();
        out += char(header >> 8);
        out += char(header & 0xFF);
        out.append(stored ? piece : std::string_view(packed));
    }
    return out;
}

void CDat1Writer::Add(SDat1EntryDef e)
{
    SItem item{std::move(e), {}};
    const SDat1EntryDef& d = item.def;
    if (d.packedBytes)
        item.packed = *d.packedBytes;
    else if (d.storage == EDat1Storage::kStored)
        item.packed = d.data;
    else if (d.storage == EDat1Storage::kStream)
        item.packed = LzssCompress(d.data);
    else
        item.packed = LzssBlocks(d.data, d.blockSize, d.storeAll);
    m_items.push_back(std::move(item));
}

void CDat1Writer::AddStored(std::string folder, std::string name, std::string data)
{
    SDat1EntryDef e;
    e.folder = std::move(folder);
    e.name = std::move(name);
    e.data = std::move(data);
    e.storage = EDat1Storage::kStored;
    Add(std::move(e));
}

const std::string& CDat1Writer::PackedBytes(std::size_t i) const
{
    return m_items.at(i).packed;
}

std::string CDat1Writer::Build(const SDat1Options& opt) const
{
    std::vector<std::string> folders;
    for (const SItem& item : m_items)
        if (std::find(folders.begin(), folders.end(), item.def.folder) == folders.end())
            folders.push_back(item.def.folder);

    std::string dir;
    PutBE32(dir, opt.folderCount.value_or(std::uint32_t(folders.size())));
    PutBE32(dir, opt.capacity);
    PutBE32(dir, opt.folderValueSize.value_or(0));
    PutBE32(dir, 0);
    for (const std::string& f : folders) {
        dir += char(f.size());
        dir += f;
    }
    // Offsets are known once the directory's size is: lay it out first with zeros.
    std::size_t dataAt = dir.size();
    for (const std::string& f : folders) {
        dataAt += 16;
        for (const SItem& item : m_items)
            if (item.def.folder == f)
                dataAt += 1 + item.def.name.size() + 16;
    }
    std::string data;
    for (const std::string& f : folders) {
        std::vector<const SItem*> files;
        for (const SItem& item : m_items)
            if (item.def.folder == f)
                files.push_back(&item);
        PutBE32(dir, std::uint32_t(files.size()));
        PutBE32(dir, opt.capacity);
        PutBE32(dir, opt.fileValueSize.value_or(16));
        PutBE32(dir, 0);
        for (const SItem* item : files) {
            const SDat1EntryDef& d = item->def;
            const bool stored = d.storage == EDat1Storage::kStored;
            const std::uint32_t attributes = stored ? 0x20 : d.storage == EDat1Storage::kBlocks ? 0x40 : 0x10;
            const auto packed = std::uint32_t(stored && opt.storedPackedZero ? 0 : item->packed.size());
            dir += char(d.nameLength.value_or(std::uint8_t(d.name.size())));
            dir += d.name;
            PutBE32(dir, d.attributes.value_or(attributes));
            PutBE32(dir, d.offset.value_or(std::uint32_t(dataAt + data.size())));
            PutBE32(dir, d.realSize.value_or(std::uint32_t(d.data.size())));
            PutBE32(dir, d.packedSize.value_or(packed));
            data += item->packed;
        }
    }
    std::string out = dir + data;
    if (opt.truncateTo < out.size())
        out.resize(opt.truncateTo);
    return out;
}

void CDat1Writer::WriteTo(const std::string& path, const SDat1Options& opt) const
{
    const std::string bytes = Build(opt);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        throw std::runtime_error("cannot write " + path);
}
