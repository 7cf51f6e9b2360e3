// The least an extractor can do, on one thread: for each entry read its packed
// bytes, inflate them (zlib or libdeflate), create its folders and write it
// with one write. scripts/bench runs it beside dravik-cli extract.
#include <libdeflate.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

static std::uint32_t U32(const unsigned char* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

int main(int argc, char** argv)
{
    if (argc != 4 || (std::strcmp(argv[1], "--zlib") != 0 && std::strcmp(argv[1], "--libdeflate") != 0)) {
        std::fputs("usage: dravik_raw_extract --zlib|--libdeflate ARCHIVE OUTDIR\n", stderr);
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
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    std::vector<unsigned char> packed, real;
    std::string lastFolder;
    const std::uint32_t count = U32(dir.data());
    std::size_t pos = 4;
    int failures = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t length = U32(&dir[pos]);
        std::string name(reinterpret_cast<const char*>(&dir[pos + 4]), length);
        pos += 4 + length + 1;
        const std::uint32_t realSize = U32(&dir[pos]);
        const std::uint32_t packedSize = U32(&dir[pos + 4]);
        const std::uint32_t offset = U32(&dir[pos + 8]);
        pos += 12;
        for (char& c : name)
            if (c == '\\')
                c = '/';
        // Folders: made once each, entries of a folder standing together.
        const std::size_t slash = name.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string() : name.substr(0, slash);
        if (folder != lastFolder) {
            for (std::size_t s = folder.find('/'); ; s = folder.find('/', s + 1)) {
                ::mkdir((base + folder.substr(0, s)).c_str(), 0777);
                if (s == std::string::npos)
                    break;
            }
            lastFolder = folder;
        }
        packed.resize(packedSize);
        if (::pread(fd, packed.data(), packedSize, offset) != ssize_t(packedSize))
            return 2;
        const unsigned char* out = packed.data();
        if (realSize != packedSize) {
            real.resize(realSize);
            if (useZlib) {
                uLongf got = realSize;
                failures += uncompress(real.data(), &got, packed.data(), packedSize) != Z_OK || got != realSize;
            } else {
                std::size_t got = 0;
                failures += libdeflate_zlib_decompress(d, packed.data(), packedSize, real.data(), realSize, &got) !=
                                LIBDEFLATE_SUCCESS ||
                            got != realSize;
            }
            out = real.data();
        }
        const int o = ::open((base + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (o < 0 || ::write(o, out, realSize) != ssize_t(realSize) || ::close(o) != 0)
            return 2;
    }
    libdeflate_free_decompressor(d);
    std::printf("%u entries, %d damaged\n", count, failures);
    return failures ? 2 : 0;
}
