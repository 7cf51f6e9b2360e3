#include "platform/atomicfile.h"

#include "platform/exceptions.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
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

} // namespace

CAtomicFile::CAtomicFile(std::string finalPath) : m_strFinalPath(std::move(finalPath))
{
    if (m_strFinalPath.empty())
        throw CFileException(CFileException::badPath, -1, m_strFinalPath, "empty path");
    if (m_strFinalPath.back() == '/')
        throw CFileException(CFileException::badPath, -1, m_strFinalPath, "the name is a folder");
    std::string::size_type slash = m_strFinalPath.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : m_strFinalPath.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? m_strFinalPath : m_strFinalPath.substr(slash + 1);
    // Keep the sibling's name short enough for NAME_MAX whatever the final name's length.
    if (base.size() > 200)
        base.resize(200);
    std::string templ = dir + "." + base + ".part-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    int fd = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd < 0)
        CFileException::ThrowErrno(errno, m_strFinalPath);
    m_strTempPath.assign(buf.data());
    // mkstemp makes 0600; a finished file gets the usual permissions.
    ::fchmod(fd, 0666 & ~CurrentUmask());
    ::close(fd);
    try {
        m_file.Open(m_strTempPath, CFile::modeReadWrite);
    } catch (...) {
        ::unlink(m_strTempPath.c_str());
        throw;
    }
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

void CAtomicFile::Commit()
{
    if (m_bDone)
        return;
    try {
        m_file.Close();
    } catch (const CFileException& e) {
        Discard();
        throw CFileException(e.m_cause, e.m_lOsError, m_strFinalPath);
    }
    if (::rename(m_strTempPath.c_str(), m_strFinalPath.c_str()) != 0) {
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
    ::unlink(m_strTempPath.c_str());
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
