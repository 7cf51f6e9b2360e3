#include "archive/dirparser.h"

#include "platform/exceptions.h"
#include "platform/file.h"

#include <algorithm>
#include <cstring>

namespace {

std::uint32_t LoadU32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

} // namespace

inline std::uint32_t CDirectoryParser::ReadU32()
{
    std::uint32_t v = LoadU32(m_pData + m_nPos);
    m_nPos += 4;
    return v;
}

SDatTrailer ParseTrailer(const unsigned char* bytes)
{
    return {LoadU32(bytes), LoadU32(bytes + 4)};
}

CDirectoryParser::CDirectoryParser(const unsigned char* data, std::size_t size, std::string fileName)
    : m_pData(data), m_nSize(size), m_strFileName(std::move(fileName))
{
    if (m_nSize < 4)
        throw CArchiveException(CArchiveException::badIndex, m_strFileName,
                                "the directory (" + std::to_string(m_nSize) + " bytes) is too small for its file count");
    m_nCount = ReadU32();
    if (m_nCount >= 0x80000000u)
        Fail("file count " + std::to_string(m_nCount) + " is 2^31 or more");
    if (m_nCount > (m_nSize - 4) / kMinEntrySize)
        Fail("file count " + std::to_string(m_nCount) + " is more than a directory of " + std::to_string(m_nSize) +
             " bytes can hold");
}

void CDirectoryParser::Fail(const std::string& what) const
{
    throw CArchiveException(CArchiveException::badIndex, m_strFileName, what);
}

void CDirectoryParser::FailEntry(const std::string& what) const
{
    Fail("entry " + std::to_string(m_nIndex) + ": " + what);
}

bool CDirectoryParser::Next(SRawEntry& entry)
{
    if (m_nIndex >= m_nCount)
        return false;
    if (m_nSize - m_nPos < 4)
        FailEntry("the directory ends before the name length");
    std::uint32_t length = ReadU32();
    if (length > kMaxNameLength)
        FailEntry("name length " + std::to_string(length) + " is over " + std::to_string(kMaxNameLength));
    if (m_nSize - m_nPos < std::size_t(length) + 13)
        FailEntry("the directory ends inside the entry (name length " + std::to_string(length) + ")");
    const char* name = reinterpret_cast<const char*>(m_pData + m_nPos);
    const void* zero = std::memchr(name, 0, length);
    std::size_t used = zero ? std::size_t(static_cast<const char*>(zero) - name) : length;
    entry.m_name = std::string_view(name, used);
    const auto backslashes = std::uint32_t(std::count(entry.m_name.begin(), entry.m_name.end(), '\\'));
    if (backslashes > kMaxBackslashes)
        FailEntry("the name holds " + std::to_string(backslashes) + " backslashes, more than " +
             std::to_string(kMaxBackslashes));
    m_nPos += length;
    entry.m_nFlag = m_pData[m_nPos++];
    entry.m_nRealSize = ReadU32();
    entry.m_nPackedSize = ReadU32();
    entry.m_nOffset = ReadU32();
    ++m_nIndex;
    return true;
}

SDirectoryBytes ReadDirectoryBytes(CFile& file)
{
    const std::string& fileName = file.GetFilePath();
    const std::uint64_t length = file.GetLength();
    if (length < kTrailerSize)
        throw CFileException(CFileException::badSeek, -1, fileName,
                             "the file is " + std::to_string(length) + " bytes, shorter than its 8-byte trailer");
    unsigned char trailerBytes[kTrailerSize];
    if (file.ReadAt(length - kTrailerSize, trailerBytes, kTrailerSize) != kTrailerSize)
        throw CFileException(CFileException::endOfFile, -1, fileName, "the trailer could not be read");
    SDirectoryBytes out;
    out.m_trailer = ParseTrailer(trailerBytes);
    if (std::uint64_t(out.m_trailer.m_nDirectorySize) + kTrailerSize > length)
        throw CFileException(CFileException::badSeek, -1, fileName,
                             "directory size " + std::to_string(out.m_trailer.m_nDirectorySize) +
                                 " does not fit in a file of " + std::to_string(length) + " bytes");
    out.m_nSize = out.m_trailer.m_nDirectorySize;
    out.m_pData.reset(new unsigned char[out.m_nSize ? out.m_nSize : 1]);
    if (file.ReadAt(length - kTrailerSize - out.m_nSize, out.m_pData.get(), out.m_nSize) != out.m_nSize)
        throw CFileException(CFileException::endOfFile, -1, fileName, "the directory could not be read whole");
    return out;
}
