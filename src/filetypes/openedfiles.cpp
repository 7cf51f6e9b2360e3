#include "filetypes/openedfiles.h"

#include "archive/datitem.h"
#include "archive/filenames.h"
#include "platform/exceptions.h"
#include "platform/hostservices.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

COpenedFiles* g_pOpenedFiles = nullptr;

bool IsWritableFolder(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::string BaseFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && IsWritableFolder(runtime))
        return runtime;
    std::string cache = UserCacheFolder();
    if (cache.empty())
        cache = "/tmp";
    std::error_code ec;
    std::filesystem::create_directories(cache + "/dravik", ec);
    return IsWritableFolder(cache + "/dravik") ? cache + "/dravik" : cache;
}

} // namespace

COpenedFiles::COpenedFiles() : m_pPrevious(g_pOpenedFiles)
{
    g_pOpenedFiles = this;
}

COpenedFiles::~COpenedFiles()
{
    if (g_pOpenedFiles == this)
        g_pOpenedFiles = m_pPrevious;
    if (!m_strFolder.empty()) {
        std::error_code ec; // what cannot be removed stays; nothing to report at exit
        std::filesystem::remove_all(m_strFolder, ec);
    }
}

std::string COpenedFiles::PathFor(const std::string& archivePath, const CDATInternalFile& entry,
                                 const std::string& newExtension)
{
    std::string key = archivePath + '\0';
    for (const CDATFolder* f = entry.m_pParent; f && !f->IsRoot(); f = f->m_pParent)
        key += f->m_strName + '\\';
    key += entry.m_strName;
    if (auto it = m_paths.find(key); it != m_paths.end())
        return it->second;
    if (m_strFolder.empty()) {
        std::string pattern = BaseFolder() + "/dravik-open-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            CFileException::ThrowErrno(errno, pattern);
        m_strFolder = pattern + '/';
    }
    const std::string name = ReplaceExtension(EntryNameForDisk(entry.m_strName), newExtension);
    std::string unique = name;
    for (int n = 2; m_names.count(unique); ++n)
        unique = ReplaceExtension(name, "~" + std::to_string(n) + newExtension);
    m_names.insert(unique);
    return m_paths[key] = m_strFolder + unique;
}

COpenedFiles& OpenedFiles()
{
    if (g_pOpenedFiles)
        return *g_pOpenedFiles;
    static COpenedFiles s_fallback; // registers itself
    return s_fallback;
}
