// The least an extractor can do: for each entry read its packed bytes, inflate
// them (zlib or libdeflate), create its folders and write it with one write.
// On one thread, or with --threads N on N, the folders made first and the
// entries dealt out in turn. scripts/bench runs it beside dravik-cli extract.
#include <libdeflate.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <atomic>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

static std::uint32_t U32(const unsigned char* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

struct SEntry
{
    std::string m_name;
    std::uint32_t m_real, m_packed, m_offset;
};

// Writes every step-th entry from first on; false on a read or write error.
static bool WriteEntries(const char* archive, const std::string& base, const std::vector<SEntry>& entries,
                         std::size_t first, std::size_t step, bool useZlib, std::atomic<int>& failures)
{
    const int fd = ::open(archive, O_RDONLY);
    if (fd < 0)
        return false;
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    std::vector<unsigned char> packed, real;
    bool ok = true;
    for (std::size_t i = first; ok && i < entries.size(); i += step) {
        const SEntry& e = entries[i];
        packed.resize(e.m_packed);
        if (::pread(fd, packed.data(), e.m_packed, e.m_offset) != ssize_t(e.m_packed)) {
            ok = false;
            break;
        }
        const unsigned char* out = packed.data();
        if (e.m_real != e.m_packed) {
            real.resize(e.m_real);
            bool bad;
            if (useZlib) {
                uLongf got = e.m_real;
                bad = uncompress(real.data(), &got, packed.data(), e.m_packed) != Z_OK || got != e.m_real;
            } else {
                std::size_t got = 0;
                bad = libdeflate_zlib_decompress(d, packed.data(), e.m_packed, real.data(), e.m_real, &got) !=
                          LIBDEFLATE_SUCCESS ||
                      got != e.m_real;
            }
            failures += bad;
            out = real.data();
        }
        const int o = ::open((base + e.m_name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        ok = o >= 0 && ::write(o, out, e.m_real) == ssize_t(e.m_real) && ::close(o) == 0;
    }
    libdeflate_free_decompressor(d);
    ::close(fd);
    return ok;
}

int main(int argc, char** argv)
{
    unsigned threads = 1;
    if (argc == 6 && std::strcmp(argv[1], "--threads") == 0) {
        threads = unsigned(std::atoi(argv[2]));
        argc -= 2;
        argv += 2;
    }
    if (argc != 4 || threads == 0 ||
        (std::strcmp(argv[1], "--zlib") != 0 && std::strcmp(argv[1], "--libdeflate") != 0)) {
        std::fputs("usage: dravik_raw_extract [--threads N] --zlib|--libdeflate ARCHIVE OUTDIR\n", stderr);
        return 1;
    }
    const bool useZlib = std::strcmp(argv[1], "--zlib") == 0;
    const int fd = ::open(argv[2], O_RDONLY);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || st.st_size < 8)
        return 2;
    unsigned char trailer[8];
    if (::pread(fd, trailer, 8, st.st_size - 8) != 8)
        return 2;
    const std::uint32_t dirSize = U32(trailer);
    if (std::uint64_t(dirSize) + 8 > std::uint64_t(st.st_size) || dirSize < 4)
        return 2;
    std::vector<unsigned char> dir(dirSize);
    if (::pread(fd, dir.data(), dirSize, st.st_size - 8 - dirSize) != ssize_t(dirSize))
        return 2;

    const std::string base = std::string(argv[3]) + "/";
    ::mkdir(argv[3], 0777);
    std::vector<SEntry> entries;
    std::string lastFolder;
    const std::uint32_t count = U32(dir.data());
    std::size_t pos = 4;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t length = U32(&dir[pos]);
        std::string name(reinterpret_cast<const char*>(&dir[pos + 4]), length);
        pos += 4 + length + 1;
        SEntry e{std::move(name), U32(&dir[pos]), U32(&dir[pos + 4]), U32(&dir[pos + 8])};
        pos += 12;
        for (char& c : e.m_name)
            if (c == '\\')
                c = '/';
        // Folders: made once each, entries of a folder standing together.
        const std::size_t slash = e.m_name.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string() : e.m_name.substr(0, slash);
        if (folder != lastFolder) {
            for (std::size_t s = folder.find('/'); ; s = folder.find('/', s + 1)) {
                ::mkdir((base + folder.substr(0, s)).c_str(), 0777);
                if (s == std::string::npos)
                    break;
            }
            lastFolder = folder;
        }
        entries.push_back(std::move(e));
    }
    std::atomic<int> failures{0};
    std::vector<char> ok(threads, 0);
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t)
        pool.emplace_back([&, t] { ok[t] = WriteEntries(argv[2], base, entries, t, threads, useZlib, failures); });
    ok[0] = WriteEntries(argv[2], base, entries, 0, threads, useZlib, failures);
    for (std::thread& t : pool)
        t.join();
    for (char good : ok)
        if (!good)
            return 2;
    std::printf("%u entries, %d damaged\n", count, failures.load());
    return failures ? 2 : 0;
}
