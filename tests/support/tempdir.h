#pragma once
#include <string>

// A fresh folder under the test's temporary root, removed with its contents.
class CTempDir
{
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    // Path ending with '/'.
    const std::string& Path() const { return m_strPath; }
    std::string operator/(const std::string& name) const { return m_strPath + name; }

private:
    std::string m_strPath;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& data);
bool FileExists(const std::string& path);
