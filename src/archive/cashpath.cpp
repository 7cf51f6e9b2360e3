#include "archive/cashpath.h"

#include "platform/hostservices.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string g_strExeFolderOverride;

std::string WithSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

std::string ExecutableFolder()
{
    if (!g_strExeFolderOverride.empty())
        return WithSlash(g_strExeFolderOverride);
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return "./";
    std::string exe(buf, std::size_t(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

bool IsDirectory(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsUsableFolder(const std::string& path)
{
    return IsDirectory(path) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

// Creates every missing level of path.
bool MakePath(const std::string& path)
{
    for (std::string::size_type pos = 1; pos != std::string::npos; ++pos) {
        pos = path.find('/', pos);
        std::string part = path.substr(0, pos);
        if (!part.empty() && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        if (pos == std::string::npos)
            break;
    }
    return IsDirectory(path);
}

} // namespace

void CCashPath::SetExecutableFolderForTests(const std::string& folder)
{
    g_strExeFolderOverride = folder;
}

std::string CCashPath::DefaultFolder()
{
    std::string folder = ExecutableFolder() + "cash/";
    ::mkdir(folder.c_str(), 0777);
    if (IsUsableFolder(folder))
        return folder;
    // An installed program's folder is not the user's to write.
    std::string fallback = WithSlash(UserCacheFolder()) + "dravik/cash/";
    MakePath(fallback);
    return fallback;
}

CCashPath::CCashPath(bool useProfile) : m_bUseProfile(useProfile && HostServices())
{
    if (!m_bUseProfile)
        return;
    std::string value = ReadProfileString("Settings", "CashPath");
    if (!value.empty()) {
        struct stat st;
        if (::stat(value.c_str(), &st) != 0) {
            if (::mkdir(value.c_str(), 0777) != 0)
                value.clear();
        } else if (!S_ISDIR(st.st_mode)) {
            value.clear();
        }
    }
    if (value.empty())
        value = DefaultFolder();
    m_strPath = WithSlash(value);
}

CCashPath::~CCashPath()
{
    if (m_bUseProfile)
        WriteProfileString("Settings", "CashPath", m_strPath);
}

void CCashPath::Set(const std::string& path)
{
    m_strPath = WithSlash(path);
}
