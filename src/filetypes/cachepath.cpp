#include "filetypes/cachepath.h"

#include "archive/archivecontext.h"
#include "archive/destnames.h"
#include "platform/exceptions.h"

#include <cstdio>
#include <filesystem>
#include <functional>
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

namespace {

namespace fs = std::filesystem;

// "<name>-XXXXXXXX" or "<name>-XXXXXXXX.out", X an upper-case hex digit.
bool IsArchiveFolderName(std::string name)
{
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".out") == 0)
        name.resize(name.size() - 4);
    if (name.size() < 10 || name[name.size() - 9] != '-')
        return false;
    for (std::size_t i = name.size() - 8; i < name.size(); ++i)
        if (!((name[i] >= '0' && name[i] <= '9') || (name[i] >= 'A' && name[i] <= 'F')))
            return false;
    return true;
}

void ForEachArchiveFolder(const std::string& cacheFolder, const std::function<void(const fs::path&)>& fn)
{
    std::error_code ec;
    for (fs::directory_iterator it(cacheFolder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec) && !it->is_symlink(ec) && IsArchiveFolderName(it->path().filename().string()))
            fn(it->path());
}

} // namespace

SCacheUsage MeasureCache(const std::string& cacheFolder)
{
    SCacheUsage usage;
    ForEachArchiveFolder(cacheFolder, [&usage](const fs::path& folder) {
        std::error_code ec;
        for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            if (it->is_regular_file(ec) && !it->is_symlink(ec)) {
                ++usage.m_nFiles;
                usage.m_nBytes += it->file_size(ec);
            }
        }
    });
    return usage;
}

void EmptyCache(const std::string& cacheFolder)
{
    ForEachArchiveFolder(cacheFolder, [](const fs::path& folder) {
        std::error_code ec;
        fs::remove_all(folder, ec);
        if (ec)
            throw CFileException(CFileException::accessDenied, ec.value(), folder.string(), ec.message());
    });
}
