#pragma once
// The cache folder setting ("Settings"/"CashPath"): read and checked when the
// document is made, written back when it is destroyed. Always ends with '/'.
#include <string>

class CCashPath
{
public:
    // Without the profile the value starts empty and is never stored (the
    // command line and tools use this).
    explicit CCashPath(bool useProfile = true);
    ~CCashPath();
    CCashPath(const CCashPath&) = delete;
    CCashPath& operator=(const CCashPath&) = delete;

    const std::string& Get() const { return m_strPath; }
    operator const std::string&() const { return m_strPath; }
    // Sets the folder; a trailing '/' is added when missing.
    void Set(const std::string& path);

    // The default: "cash/" beside the executable, or, where that folder cannot
    // be created or written, "cash/" in the per-user cache location.
    static std::string DefaultFolder();
    // Tests point the executable's folder elsewhere (empty restores it).
    static void SetExecutableFolderForTests(const std::string& folder);

private:
    std::string m_strPath;
    bool m_bUseProfile;
};
