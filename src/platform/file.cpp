#include "platform/file.h"

#include "platform/exceptions.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CFile::~CFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

CFile::CFile(CFile&& other) noexcept
    : m_fd(other.m_fd), m_strPath(std::move(other.m_strPath)), m_held(std::move(other.m_held)),
      m_nHeldAt(other.m_nHeldAt)
{
    other.m_fd = -1;
    other.m_held.clear();
}

CFile& CFile::operator=(CFile&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = other.m_fd;
        m_strPath = std::move(other.m_strPath);
        m_held = std::move(other.m_held);
        m_nHeldAt = other.m_nHeldAt;
        other.m_fd = -1;
        other.m_held.clear();
    }
    return *this;
}

void CFile::Open(const std::string& path, unsigned flags)
{
    Close();
    m_strPath = path;
    if (path.empty())
        throw CFileException(CFileException::badPath, -1, path, "empty path");
    int oflags = O_CLOEXEC;
    switch (flags & 3) {
    case modeWrite: oflags |= O_WRONLY; break;
    case modeReadWrite: oflags |= O_RDWR; break;
    default: oflags |= O_RDONLY; break;
    }
    if (flags & modeCreate)
        oflags |= O_CREAT | O_TRUNC;
    int fd;
    do
        fd = ::open(path.c_str(), oflags, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        CFileException::ThrowErrno(errno, path);
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw CFileException(CFileException::accessDenied, EISDIR, path, "it is a folder");
    }
    m_fd = fd;
}

void CFile::Attach(int fd, std::string path)
{
    Close();
    m_fd = fd;
    m_strPath = std::move(path);
}

void CFile::Close()
{
    m_held.clear();
    if (m_fd >= 0) {
        int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0 && errno != EINTR)
            CFileException::ThrowErrno(errno, m_strPath);
    }
}

std::size_t CFile::Read(void* buffer, std::size_t count)
{
    auto* p = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::read(m_fd, p + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            CFileException::ThrowErrno(errno, m_strPath);
        }
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    return done;
}

void CFile::ReadExact(void* buffer, std::size_t count)
{
    if (Read(buffer, count) != count)
        throw CFileException(CFileException::endOfFile, -1, m_strPath);
}

std::size_t CFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count)
{
    if (count && IsHeld(offset, count)) {
        std::memcpy(buffer, m_held.data() + (offset - m_nHeldAt), count);
        return count;
    }
    auto* p = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::pread(m_fd, p + done, count - done, off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            CFileException::ThrowErrno(errno, m_strPath);
        }
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    return done;
}

void CFile::Prefetch(std::uint64_t offset, std::size_t length)
{
    m_held.resize(length);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(m_fd, m_held.data() + done, length - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            done = 0;
            break;
        }
        if (n == 0)
            break; // the file ends inside: what is there is held
        done += std::size_t(n);
    }
    m_held.resize(done);
    m_nHeldAt = offset;
}

void CFile::Write(const void* buffer, std::size_t count)
{
    m_held.clear();
    auto* p = static_cast<const char*>(buffer);
    while (count > 0) {
        ssize_t n = ::write(m_fd, p, count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            CFileException::ThrowErrno(errno, m_strPath);
        }
        if (n == 0)
            throw CFileException(CFileException::diskFull, ENOSPC, m_strPath);
        p += n;
        count -= std::size_t(n);
    }
}

std::uint64_t CFile::Seek(std::int64_t offset, SeekPosition from)
{
    int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
    off_t pos = ::lseek(m_fd, off_t(offset), whence);
    if (pos < 0) {
        if (errno == EINVAL)
            throw CFileException(CFileException::badSeek, EINVAL, m_strPath, "position before the start of the file");
        CFileException::ThrowErrno(errno, m_strPath);
    }
    return std::uint64_t(pos);
}

std::uint64_t CFile::GetPosition() const
{
    off_t pos = ::lseek(m_fd, 0, SEEK_CUR);
    if (pos < 0)
        CFileException::ThrowErrno(errno, m_strPath);
    return std::uint64_t(pos);
}

std::uint64_t CFile::GetLength() const
{
    struct stat st;
    if (::fstat(m_fd, &st) != 0)
        CFileException::ThrowErrno(errno, m_strPath);
    return std::uint64_t(st.st_size);
}

void CFile::SetLength(std::uint64_t length)
{
    m_held.clear();
    int rc;
    do
        rc = ::ftruncate(m_fd, off_t(length));
    while (rc != 0 && errno == EINTR);
    if (rc != 0)
        CFileException::ThrowErrno(errno, m_strPath);
}
