#pragma once
// A file that appears complete under its final name or not at all: the bytes go
// to a uniquely named sibling, which Commit() renames into place. Destroying an
// uncommitted CAtomicFile removes the sibling and leaves any old file untouched.
#include "platform/file.h"

#include <string>

class CAtomicFile
{
public:
    explicit CAtomicFile(std::string finalPath);
    ~CAtomicFile();
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    CFile& File() { return m_file; }
    const std::string& FinalPath() const { return m_strFinalPath; }
    const std::string& TempPath() const { return m_strTempPath; }

    // Closes the sibling and renames it over the final name (a symbolic link
    // there is replaced, never followed).
    void Commit();
    void Discard();

private:
    std::string m_strFinalPath;
    std::string m_strTempPath;
    CFile m_file;
    bool m_bDone = false;
};

// Writes a whole buffer as one file, atomically.
void WriteFileAtomically(const std::string& path, const void* data, std::size_t size);
