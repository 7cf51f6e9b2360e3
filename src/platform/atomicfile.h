#pragma once
// A file that appears complete under its final name or not at all. The bytes
// go to an unnamed file in the destination folder (O_TMPFILE) that Commit()
// links in; where the file system refuses unnamed files, to a uniquely named
// sibling that Commit() renames into place. Destroying an uncommitted
// CAtomicFile leaves nothing behind and any old file untouched.
#include "platform/file.h"

#include <string>

class CAtomicFile
{
public:
    enum class EPlace {
        kAnyFolder,   // something may stand at the final name already
        kFreshFolder, // in a folder this process made: the final name is created
                      // exclusively and removed again unless committed
        kOccupied,    // something stood at the final name a moment ago: it is
                      // replaced without first trying to link beside it
    };
    explicit CAtomicFile(std::string finalPath, EPlace place = EPlace::kAnyFolder);
    ~CAtomicFile();
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    CFile& File() { return m_file; }
    const std::string& FinalPath() const { return m_strFinalPath; }
    // The name the open file goes by in error messages.
    const std::string& TempPath() const { return m_file.GetFilePath(); }

    // Closes the file under its final name; a symbolic link there is
    // replaced, never followed.
    void Commit();
    void Discard();

    // DRAVIK_NO_TMPFILE=1 in the environment makes every file take the
    // sibling-and-rename way, as on a file system without unnamed files.
    static bool UnnamedFilesAllowed();

private:
    enum class EWay { kUnnamed, kExclusive, kSibling };
    bool OpenUnnamed(const std::string& dir);
    void OpenSibling(const std::string& dir, const std::string& base);
    // Gives the unnamed file its final name, replacing what is there.
    void LinkUnnamed();

    std::string m_strFinalPath;
    std::string m_strTempPath; // the sibling's name
    CFile m_file;
    EWay m_way = EWay::kSibling;
    EPlace m_place;
    bool m_bDone = false;
};

// Writes a whole buffer as one file, atomically.
void WriteFileAtomically(const std::string& path, const void* data, std::size_t size);
