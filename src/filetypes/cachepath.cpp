#include "filetypes/cachepath.h"

#include "archive/archivecontext.h"
#include "archive/destnames.h"
#include "platform/exceptions.h"

#include <cstdio>
#include <sys/stat.h>

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
    const std::string folder = ArchiveCacheFolder(context);
    ::mkdir(context.m_strCacheFolder.c_str(), 0777);
    MakeMappedFolder(folder.substr(0, folder.size() - 1));
    return MappedEntryPath(folder, entry, newExtension);
}
