#pragma once
// Tests never touch the user's profile or cache: HOME and the XDG folders
// point into a temporary folder for the whole run.
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

class CTestHome
{
public:
    CTestHome()
    {
        std::string templ = "/tmp/dravik-home-XXXXXX";
        std::vector<char> buf(templ.begin(), templ.end());
        buf.push_back('\0');
        m_strHome = ::mkdtemp(buf.data());
        ::setenv("HOME", m_strHome.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_strHome + "/config").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (m_strHome + "/cache").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (m_strHome + "/data").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (m_strHome + "/run").c_str(), 1);
        std::filesystem::create_directories(m_strHome + "/run");
        std::filesystem::permissions(m_strHome + "/run", std::filesystem::perms::owner_all);
        QStandardPaths::setTestModeEnabled(true);
    }
    ~CTestHome()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_strHome, ec);
    }
    CTestHome(const CTestHome&) = delete;
    CTestHome& operator=(const CTestHome&) = delete;

private:
    std::string m_strHome;
};
