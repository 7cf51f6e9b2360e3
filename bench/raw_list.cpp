// The least a lister can do: read the trailer and the directory, walk the
// entries, print how many there are. scripts/bench runs it beside dravik-cli.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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
    if (argc != 2) {
        std::fputs("usage: dravik_raw_list ARCHIVE\n", stderr);
        return 1;
    }
    const int fd = ::open(argv[1], O_RDONLY);
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
    const std::uint32_t count = U32(dir.data());
    std::size_t pos = 4;
    std::uint64_t real = 0;
    std::uint32_t seen = 0;
    for (; seen < count && pos + 4 <= dirSize; ++seen) {
        const std::uint32_t length = U32(&dir[pos]);
        if (pos + 4 + std::size_t(length) + 13 > dirSize)
            return 2;
        pos += 4 + length + 1;
        real += U32(&dir[pos]);
        pos += 12;
    }
    std::printf("%u entries, %llu bytes unpacked\n", seen, static_cast<unsigned long long>(real));
    return seen == count ? 0 : 2;
}
