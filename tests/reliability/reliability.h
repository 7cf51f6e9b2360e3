#pragma once
// What the reliability tests share: a fixture with an archive opened from a
// sandbox, snapshots of folder trees (to prove that nothing outside a
// destination changed), a file-size limit that turns writes into errors,
// sparse files, captured stderr and small pictures that convert.
#include "archive/datfiledoc.h"
#include "datwriter.h"
#include "fakes.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <sys/resource.h>
#include <vector>

// One path as lstat sees it (kind, size, inode, time; a link's target, a
// small file's bytes), links never followed; "" when nothing is there.
std::string StateOf(const std::string& path);
// Every object under root (root itself excluded), by relative path.
using CTreeSnapshot = std::map<std::string, std::string>;
CTreeSnapshot TakeSnapshot(const std::string& root);
// Paths added, removed or changed, except inside the allowed folder (relative; "": none).
std::vector<std::string> ChangesOutside(const CTreeSnapshot& before, const CTreeSnapshot& after,
                                        const std::string& allowed);

// Writes past `bytes` fail with EFBIG while this lives.
class CFileSizeLimit
{
public:
    explicit CFileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = m_old;
        r.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &r);
    }
    ~CFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = SIG_DFL;
};

// Makes path a file of `length` bytes that takes (almost) no disk space; false
// when the file system cannot make sparse files.
bool MakeSparseFile(const std::string& path, std::uint64_t length);
void WriteAt(const std::string& path, std::uint64_t offset, const std::string& bytes);
// Runs body and returns what it wrote to stderr.
std::string CaptureStderr(const std::function<void()>& body);
// A 4x3 FRM picture, its palette and a RIX picture, for entries that must convert.
std::string SmallFrm();
std::string SmallPalette();
std::string SmallRix();
std::string Zlib(const std::string& data);
// n bytes that do not shrink, the same for the same seed.
inline std::string Noise(std::size_t n, unsigned seed = 1)
{
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = char(gen());
    return s;
}

// A sandbox (m_root, with the output folder m_out) and an archive opened from
// it, its cache in m_root/cache and every entry in the listing, row i entry i.
class CReliabilityTest : public ::testing::Test
{
protected:
    CReliabilityTest();
    ~CReliabilityTest() override;
    void Open(const CDatWriter& w);
    void OpenPath(const std::string& archive);
    // The entry whose path (folders joined by '\\') or, failing that, own name is name.
    CDATInternalFile& Entry(const std::string& name);
    std::vector<int> Rows(const std::vector<std::string>& names);
    // An old file in m_out with a distinct past modification time.
    void Old(const std::string& name, const std::string& content);
    // The files below folder, relative to it.
    static std::set<std::string> FilesIn(const std::string& folder);

    CFakeUiServices m_ui;
    CTempDir m_dir;
    std::string m_root, m_out, m_archive;
    std::unique_ptr<CDATFileDoc> m_doc;
};
