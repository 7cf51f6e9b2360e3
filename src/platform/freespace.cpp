#include "platform/freespace.h"

#include "platform/exceptions.h"

#include <cerrno>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {
FreeSpaceProbe g_pProbe = nullptr;
}

void SetFreeSpaceProbe(FreeSpaceProbe probe)
{
    g_pProbe = probe;
}

std::uint64_t GetFreeDiskSpaceKB(const std::string& destPath)
{
    if (destPath.empty())
        throw CFileException(CFileException::badPath, -1, destPath, "empty destination path");

    // Walk up to the nearest folder that exists; a relative path starts at ".".
    std::string dir = destPath;
    for (;;) {
        std::string::size_type slash = dir.find_last_of('/');
        if (slash == std::string::npos)
            dir.assign(1, '.');
        else {
            while (slash > 0 && dir[slash - 1] == '/')
                --slash;
            dir.resize(slash == 0 ? 1 : slash);
        }
        struct stat st;
        if (::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            break;
        if (dir.size() == 1 && (dir[0] == '/' || dir[0] == '.'))
            break;
    }
    if (g_pProbe)
        return g_pProbe(dir);
    struct statvfs vfs;
    if (::statvfs(dir.c_str(), &vfs) != 0)
        throw CFileException(CFileException::generic, -1, destPath, "cannot query free space");
    return std::uint64_t(vfs.f_bavail) * std::uint64_t(vfs.f_frsize) / 1024;
}

void CheckFreeSpaceKB(const std::string& destPath, std::uint64_t needKB)
{
    if (needKB > GetFreeDiskSpaceKB(destPath))
        throw CFileException(CFileException::diskFull, -1, destPath, "not enough free space");
}
