#pragma once
// A random-access file over a POSIX descriptor. Every failure raises
// CFileException naming the path.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CFile
{
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        modeCreate = 0x1000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    CFile(const std::string& path, unsigned flags) { Open(path, flags); }
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    CFile(CFile&& other) noexcept;
    CFile& operator=(CFile&& other) noexcept;

    void Open(const std::string& path, unsigned flags);
    // Takes over an open descriptor; path names it in error messages.
    void Attach(int fd, std::string path);
    bool IsOpen() const { return m_fd >= 0; }
    void Close();

    // Reads up to count bytes at the current position; returns how many came.
    std::size_t Read(void* buffer, std::size_t count);
    // Reads exactly count bytes or raises endOfFile.
    void ReadExact(void* buffer, std::size_t count);
    // Positional read that leaves the file position alone.
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count);
    // Reads [offset, offset + length) in one call and serves the ReadAt calls
    // that fall inside it from memory: small entries lying together cost one
    // system call, not one each. The file must not change meanwhile; the next
    // Prefetch, a write or Close drop the piece. A failed read keeps nothing:
    // the reads themselves then meet the error.
    void Prefetch(std::uint64_t offset, std::size_t length);
    bool IsHeld(std::uint64_t offset, std::size_t count) const
    {
        return !m_held.empty() && offset >= m_nHeldAt && offset - m_nHeldAt <= m_held.size() &&
               count <= m_held.size() - (offset - m_nHeldAt);
    }
    void Write(const void* buffer, std::size_t count);

    std::uint64_t Seek(std::int64_t offset, SeekPosition from);
    std::uint64_t GetPosition() const;
    std::uint64_t GetLength() const;
    void SetLength(std::uint64_t length);

    int GetHandle() const { return m_fd; }
    const std::string& GetFilePath() const { return m_strPath; }

private:
    int m_fd = -1;
    std::string m_strPath;
    std::vector<unsigned char> m_held; // of Prefetch
    std::uint64_t m_nHeldAt = 0;
};
