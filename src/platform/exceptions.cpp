#include "platform/exceptions.h"

#include <cerrno>
#include <cstring>
#include <new>

const char* CException::what() const noexcept
{
    try {
        m_strWhat = GetErrorMessage();
    } catch (...) {
        return "error";
    }
    return m_strWhat.c_str();
}

CFileException::CFileException(Cause cause, long osError, std::string fileName, std::string detail)
    : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)), m_strDetail(std::move(detail))
{
}

CFileException::Cause CFileException::CauseFromErrno(int err)
{
    switch (err) {
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EISDIR:
    case EINVAL: return badPath;
    case EACCES:
    case EPERM:
    case EROFS: return accessDenied;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return diskFull;
    case EIO: return hardIO;
    case ESPIPE: return badSeek;
    case EBUSY:
    case ETXTBSY: return sharingViolation;
    default: return generic;
    }
}

void CFileException::ThrowErrno(int err, const std::string& fileName, std::string detail)
{
    throw CFileException(CauseFromErrno(err), err, fileName, std::move(detail));
}

const char* CFileException::CauseText(Cause cause)
{
    switch (cause) {
    case none: return "no error";
    case generic: return "an unspecified error occurred";
    case fileNotFound: return "the file could not be found";
    case badPath: return "the path is invalid";
    case tooManyOpenFiles: return "too many files are open";
    case accessDenied: return "access is denied";
    case invalidFile: return "the file handle is invalid";
    case removeCurrentDir: return "the current folder cannot be removed";
    case directoryFull: return "the folder is full";
    case badSeek: return "the file position could not be set";
    case hardIO: return "a hardware input/output error occurred";
    case sharingViolation: return "the file is in use";
    case lockViolation: return "the file is locked";
    case diskFull: return "the disk is full";
    case endOfFile: return "unexpected end of file";
    }
    return "an unspecified error occurred";
}

std::string CFileException::GetErrorMessage() const
{
    std::string text = m_strFileName.empty() ? std::string() : m_strFileName + ": ";
    text += CauseText(m_cause);
    if (!m_strDetail.empty())
        text += " (" + m_strDetail + ")";
    else if (m_lOsError > 0 && CauseFromErrno(int(m_lOsError)) == generic)
        text += std::string(" (") + std::strerror(int(m_lOsError)) + ")";
    return text;
}

CArchiveException::CArchiveException(Cause cause, std::string fileName, std::string detail)
    : m_cause(cause), m_strFileName(std::move(fileName)), m_strDetail(std::move(detail))
{
}

std::string CArchiveException::GetErrorMessage() const
{
    const char* what = "unexpected file format";
    switch (m_cause) {
    case none: what = "the operation was cancelled"; break;
    case endOfFile: what = "unexpected end of file"; break;
    case readOnly:
    case writeOnly: what = "the file is not open in the needed direction"; break;
    default: break;
    }
    std::string text = m_strFileName.empty() ? std::string() : m_strFileName + ": ";
    text += what;
    if (!m_strDetail.empty())
        text += ": " + m_strDetail;
    return text;
}

CResourceException::CResourceException(std::string detail) : m_strDetail(std::move(detail)) {}

std::string CResourceException::GetErrorMessage() const
{
    std::string text = "a required resource is missing";
    if (!m_strDetail.empty())
        text += " (" + m_strDetail + ")";
    return text;
}

std::string DescribeException(const std::exception& e)
{
    if (auto* ce = dynamic_cast<const CException*>(&e))
        return ce->GetErrorMessage();
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return "out of memory";
    return e.what();
}
