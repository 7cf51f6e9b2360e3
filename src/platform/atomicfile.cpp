#include "platform/atomicfile.h"

#include "platform/exceptions.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

mode_t CurrentUmask()
{
    static const mode_t mask = [] {
        mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return mask;
}

// How an unnamed file gets its name: straight from the descriptor where the
// kernel lets us, else through its /proc link.
enum ELinkWay { kLinkUnknown, kLinkEmptyPath, kLinkProc };
std::atomic<int> g_linkWay{kLinkUnknown};

int LinkDescriptor(int fd, const char* path)
{
    int way = g_linkWay.load(std::memory_order_relaxed);
    if (way != kLinkProc) {
        if (::linkat(fd, "", AT_FDCWD, path, AT_EMPTY_PATH) == 0) {
            g_linkWay.store(kLinkEmptyPath, std::memory_order_relaxed);
            return 0;
        }
        if (way == kLinkEmptyPath || (errno != EPERM && errno != ENOENT && errno != EINVAL))
            return -1;
        g_linkWay.store(kLinkProc, std::memory_order_relaxed);
    }
    char proc[48];
    std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
    return ::linkat(AT_FDCWD, proc, AT_FDCWD, path, AT_SYMLINK_FOLLOW);
}

// A name beside the final one for a moment's use; unique within the process
// and, through the process id, among processes.
std::string ScratchName(const std::string& dir, const std::string& base)
{
    static std::atomic<unsigned> counter{0};
    static const long pid = long(::getpid());
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".part-%lx-%x", pid, counter.fetch_add(1, std::memory_order_relaxed));
    return dir + "." + base + suffix;
}

bool RefusesUnnamedFiles(int err)
{
    // EISDIR: a kernel that does not know O_TMPFILE takes it for O_DIRECTORY.
    return err == EOPNOTSUPP || err == EISDIR || err == EINVAL || err == ENOSYS;
}

} // namespace

bool CAtomicFile::UnnamedFilesAllowed()
{
    // Without /proc an unnamed file could not always be given its name.
    static const bool haveProc = ::access("/proc/self/fd", X_OK) == 0;
    const char* off = std::getenv("DRAVIK_NO_TMPFILE");
    return haveProc && !(off && *off && std::strcmp(off, "0") != 0);
}

CAtomicFile::CAtomicFile(std::string finalPath, EPlace place) : m_strFinalPath(std::move(finalPath)), m_place(place)
{
    if (m_strFinalPath.empty())
        throw CFileException(CFileException::badPath, -1, m_strFinalPath, "empty path");
    if (m_strFinalPath.back() == '/')
        throw CFileException(CFileException::badPath, -1, m_strFinalPath, "the name is a folder");
    if (place == EPlace::kFreshFolder) {
        // Nothing of the user's can be there; a name taken twice in one run
        // (or a folder of that name) takes the way that replaces.
        int fd = ::open(m_strFinalPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_file.Attach(fd, m_strFinalPath);
            m_way = EWay::kExclusive;
            return;
        }
        if (errno != EEXIST)
            CFileException::ThrowErrno(errno, m_strFinalPath);
    }
    std::string::size_type slash = m_strFinalPath.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : m_strFinalPath.substr(0, slash + 1);
    if (OpenUnnamed(dir))
        return;
    std::string base = slash == std::string::npos ? m_strFinalPath : m_strFinalPath.substr(slash + 1);
    // Keep the sibling's name short enough for NAME_MAX whatever the final name's length.
    if (base.size() > 200)
        base.resize(200);
    OpenSibling(dir, base);
}

bool CAtomicFile::OpenUnnamed(const std::string& dir)
{
    if (!UnnamedFilesAllowed())
        return false;
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (RefusesUnnamedFiles(errno))
            return false;
        CFileException::ThrowErrno(errno, m_strFinalPath);
    }
    m_file.Attach(fd, m_strFinalPath);
    m_way = EWay::kUnnamed;
    return true;
}

void CAtomicFile::OpenSibling(const std::string& dir, const std::string& base)
{
    std::string templ = dir + "." + base + ".part-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    int fd = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd < 0)
        CFileException::ThrowErrno(errno, m_strFinalPath);
    m_strTempPath.assign(buf.data());
    // mkstemp makes 0600; a finished file gets the usual permissions.
    ::fchmod(fd, 0666 & ~CurrentUmask());
    m_file.Attach(fd, m_strTempPath);
    m_way = EWay::kSibling;
}

CAtomicFile::~CAtomicFile()
{
    if (!m_bDone) {
        try {
            Discard();
        } catch (...) {
        }
    }
}

void CAtomicFile::LinkUnnamed()
{
    const int fd = m_file.GetHandle();
    if (m_place != EPlace::kOccupied) {
        if (LinkDescriptor(fd, m_strFinalPath.c_str()) == 0)
            return;
        if (errno != EEXIST)
            CFileException::ThrowErrno(errno, m_strFinalPath);
    }
    // Something is there: link beside it, then rename over it in one step.
    std::string::size_type slash = m_strFinalPath.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : m_strFinalPath.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? m_strFinalPath : m_strFinalPath.substr(slash + 1);
    if (base.size() > 200)
        base.resize(200);
    for (;;) {
        m_strTempPath = ScratchName(dir, base);
        if (LinkDescriptor(fd, m_strTempPath.c_str()) == 0)
            break;
        if (errno != EEXIST)
            CFileException::ThrowErrno(errno, m_strFinalPath);
    }
    if (::rename(m_strTempPath.c_str(), m_strFinalPath.c_str()) != 0) {
        int err = errno;
        ::unlink(m_strTempPath.c_str());
        CFileException::ThrowErrno(err, m_strFinalPath);
    }
}

void CAtomicFile::Commit()
{
    if (m_bDone)
        return;
    try {
        if (m_way == EWay::kUnnamed)
            LinkUnnamed();
        m_file.Close();
    } catch (const CFileException& e) {
        Discard();
        throw CFileException(e.m_cause, e.m_lOsError, m_strFinalPath, e.m_strDetail);
    }
    if (m_way == EWay::kSibling && ::rename(m_strTempPath.c_str(), m_strFinalPath.c_str()) != 0) {
        int err = errno;
        Discard();
        CFileException::ThrowErrno(err, m_strFinalPath);
    }
    m_bDone = true;
}

void CAtomicFile::Discard()
{
    if (m_bDone)
        return;
    m_bDone = true;
    try {
        m_file.Close();
    } catch (...) {
    }
    // An unnamed file goes with its descriptor.
    if (m_way == EWay::kSibling)
        ::unlink(m_strTempPath.c_str());
    else if (m_way == EWay::kExclusive)
        ::unlink(m_strFinalPath.c_str());
}

void WriteFileAtomically(const std::string& path, const void* data, std::size_t size)
{
    CAtomicFile out(path);
    try {
        out.File().Write(data, size);
    } catch (const CFileException& e) {
        throw CFileException(e.m_cause, e.m_lOsError, path, e.m_strDetail);
    }
    out.Commit();
}
