#pragma once
// Entry paths as the directory stores them ("art\\tiles\\a.frm", CP1251),
// decoded for people and split for the file system. The command line names
// entries this way, not by the merged folders of the model.
#include <string>
#include <string_view>
#include <vector>

class CDATArchive;
class CDATFileDoc;
class CDATInternalFile;
class CStoredNames;

// Loads path into archive, keeping every entry's stored name in names, in the
// order of archive.m_files.
void LoadWithStoredNames(CDATFileDoc& archive, CStoredNames& names, const std::string& path);

// The stored name as UTF-8; ASCII names, the usual ones, are returned as they
// are and only others are decoded, into scratch.
std::string_view StoredPathText(std::string_view stored, std::string& scratch);

// A decoded stored path split at its last '\\': its folders with that
// separator ("" at the top) and its own name.
struct SStoredPath
{
    std::string_view m_folders;
    std::string_view m_name;
};
SStoredPath SplitStoredPath(std::string_view path);

// The folders of SplitStoredPath ("a\\b\\") one by one, from the top.
void SplitStoredFolders(std::string_view folders, std::vector<std::string>& out);

// The entry whose whole stored path is path ('/' or '\\' between the parts,
// letter case ignored), or null.
const CDATInternalFile* FindStoredEntry(const CDATArchive& archive, const CStoredNames& names,
                                        const std::string& path);
