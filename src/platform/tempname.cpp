#include "platform/tempname.h"

#include "platform/exceptions.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

std::string GetTempFolder()
{
    const char* env = std::getenv("TMPDIR");
    std::string dir = env && *env ? env : "/tmp";
    if (dir.back() != '/')
        dir += '/';
    return dir;
}

bool MakeTempFileName(std::string& out, const char* prefix)
{
    std::string pre = prefix ? std::string(prefix).substr(0, 3) : std::string("TFN");
    for (char& c : pre) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == '/' || u == 0x7F || u >= 0x80)
            c = '_';
    }
    if (pre == "." || pre == "..")
        pre = "_";
    std::string dir = GetTempFolder();
    static std::atomic<unsigned> counter{0};
    unsigned seed = unsigned(::getpid()) * 2654435761u ^
                    unsigned(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 65536; ++attempt) {
        unsigned number = (seed + counter.fetch_add(1)) & 0xFFFF;
        if (number == 0)
            continue;
        char hex[8];
        std::snprintf(hex, sizeof hex, "%X", number);
        std::string path = dir + pre + hex + ".tmp";
        int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            out = path;
            return true;
        }
        if (errno != EEXIST)
            CFileException::ThrowErrno(errno, path);
    }
    throw CFileException(CFileException::directoryFull, -1, dir, "no free temporary name");
}
