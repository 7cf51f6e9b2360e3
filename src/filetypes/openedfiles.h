#pragma once
// The files Open hands to the desktop: one folder per run (in the user's
// runtime folder, else the cache folder), each file named after its entry so
// that the desktop's program shows a recognisable name. The folder goes with
// its owner, the application.
#include <map>
#include <set>
#include <string>

class CDATInternalFile;

class COpenedFiles
{
public:
    // The latest one made is the one Open uses.
    COpenedFiles();
    ~COpenedFiles();
    COpenedFiles(const COpenedFiles&) = delete;
    COpenedFiles& operator=(const COpenedFiles&) = delete;

    // The path for an entry of the open archive: its name on disk with the
    // extension replaced by newExtension, made unique within the folder; the
    // same entry gets the same path again. The folder is made on first use.
    std::string PathFor(const std::string& archivePath, const CDATInternalFile& entry, const std::string& newExtension);
    // Empty until a path was handed out.
    const std::string& Folder() const { return m_strFolder; }

private:
    std::string m_strFolder;
    std::map<std::string, std::string> m_paths; // archive and entry path -> file
    std::set<std::string> m_names;
    COpenedFiles* m_pPrevious;
};

// The application's folder of opened files; a program without one (tools)
// gets one that lives until it exits.
COpenedFiles& OpenedFiles();
