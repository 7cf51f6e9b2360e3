#include "filetypes/cachepath.h"

#include "archive/archivecontext.h"
#include "filetypes/filenames.h"
#include "platform/exceptions.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <vector>

namespace {

void MakeFolder(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return;
        throw CFileException(CFileException::badPath, -1, path, "a file or link stands where a cache folder belongs");
    }
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST)
        CFileException::ThrowErrno(errno, path);
}

} // namespace

std::string ArchiveCacheFolder(const SArchiveContext& context)
{
    if (context.m_strCacheFolder.empty())
        throw CFileException(CFileException::badPath, -1, std::string(), "no cache folder is set");
    const std::string& archive = context.ArchivePath();
    std::uint64_t hash = 1469598103934665603ull;
    auto mix = [&hash](const void* data, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i)
            hash = (hash ^ static_cast<const unsigned char*>(data)[i]) * 1099511628211ull;
    };
    mix(archive.data(), archive.size());
    struct stat st;
    if (::stat(archive.c_str(), &st) == 0) {
        const std::int64_t facts[] = {std::int64_t(st.st_size), std::int64_t(st.st_mtim.tv_sec),
                                      std::int64_t(st.st_mtim.tv_nsec)};
        mix(facts, sizeof facts);
    }
    const std::string::size_type slash = archive.rfind('/');
    std::string name = slash == std::string::npos ? archive : archive.substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        name = "archive";
    char tail[16];
    std::snprintf(tail, sizeof tail, "-%08X/", unsigned(hash ^ (hash >> 32)));
    return context.m_strCacheFolder + name + tail;
}

std::string CacheFileFor(const SArchiveContext& context, const CDATInternalFile& entry,
                         const std::string& newExtension)
{
    std::vector<const CDATFolder*> chain;
    for (const CDATFolder* f = entry.m_pParent; !f->IsRoot(); f = f->m_pParent)
        chain.push_back(f);
    std::string path = ArchiveCacheFolder(context);
    ::mkdir(context.m_strCacheFolder.c_str(), 0777);
    MakeFolder(path.substr(0, path.size() - 1));
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        path += CacheNameForDisk((*it)->m_strName);
        MakeFolder(path);
        path += '/';
    }
    // The entry's own extension stays in the name: a.frm and a.rix of one
    // folder get a.frm.bmp and a.rix.bmp.
    return path + CacheNameForDisk(entry.m_strName) + newExtension;
}
