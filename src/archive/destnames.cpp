#include "archive/destnames.h"

#include "archive/datitem.h"
#include "archive/filenames.h"
#include "platform/exceptions.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <vector>

EFolderState MakeFolderOnTheWay(const std::string& path, const char* mkdirDetail, bool* created)
{
    // One call for a folder that is not there yet, the usual case.
    if (created)
        *created = false;
    if (::mkdir(path.c_str(), 0777) == 0) {
        if (created)
            *created = true;
        return EFolderState::kFolder;
    }
    const int mkdirError = errno;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT || mkdirError == EEXIST)
            CFileException::ThrowErrno(errno, path);
        CFileException::ThrowErrno(mkdirError, path, mkdirDetail);
    }
    if (S_ISLNK(st.st_mode))
        return EFolderState::kLink;
    return S_ISDIR(st.st_mode) ? EFolderState::kFolder : EFolderState::kOther;
}

void MakeMappedFolder(const std::string& path)
{
    if (MakeFolderOnTheWay(path, "") != EFolderState::kFolder)
        throw CFileException(CFileException::badPath, -1, path, "a file or link stands where a cache folder belongs");
}

std::string MappedEntryPath(std::string folder, const CDATInternalFile& entry, const std::string& extension)
{
    std::vector<const CDATFolder*> chain;
    for (const CDATFolder* f = entry.m_pParent; !f->IsRoot(); f = f->m_pParent)
        chain.push_back(f);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        folder += CacheNameForDisk((*it)->m_strName);
        MakeMappedFolder(folder);
        folder += '/';
    }
    // The entry's own extension stays in the name: a.frm and a.rix of one
    // folder get a.frm.bmp and a.rix.bmp.
    return folder + CacheNameForDisk(entry.m_strName) + extension;
}

const char* RefusedComponent(std::string_view c)
{
    if (c.empty())
        return "it has an empty name component";
    if (c == "." || c == "..")
        return c.size() == 1 ? "it has a \".\" component" : "it has a \"..\" component";
    if (c.find('/') != std::string::npos)
        return "a name component holds '/'";
    if (c.find('\0') != std::string::npos)
        return "a name component holds a zero byte";
    if (c.size() > kMaxComponentBytes)
        return "a name component is longer than 255 bytes";
    return nullptr;
}

bool PathTooLong(std::size_t bytes)
{
    return bytes >= PATH_MAX;
}
