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
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <vector>

// One file-system object as lstat sees it; links are never followed.
struct SNode
{
    char kind = '?';           // 'f' file, 'd' folder, 'l' link, '?' other
    std::uint64_t size = 0;
    ino_t inode = 0;
    std::int64_t mtimeNs = 0;
    std::string linkTarget;    // links only
    std::string content;       // files of up to 1 MiB
    bool exists = true;
    bool operator==(const SNode&) const = default;
};
// The state of one path (exists false when there is nothing).
SNode StateOf(const std::string& path);

// Every object under root (root itself excluded), by path relative to root.
using CTreeSnapshot = std::map<std::string, SNode>;
CTreeSnapshot TakeSnapshot(const std::string& root);
// Paths added, removed or changed between two snapshots, except inside the
// allowed folder (relative, no trailing '/'; empty: none allowed).
std::vector<std::string> ChangesOutside(const CTreeSnapshot& before, const CTreeSnapshot& after,
                                        const std::string& allowed);
// Files (not folders) that exist after but not before, below folder, relative to it.
std::set<std::string> FilesAddedBelow(const CTreeSnapshot& before, const CTreeSnapshot& after,
                                      const std::string& folder);

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
// A zlib stream of data (level 9).
std::string Zlib(const std::string& data);

// A sandbox (m_root, with the output folder m_out) and an archive opened from it,
// its cache in m_root/cache and every entry in the listing, row i entry i.
class CReliabilityTest : public ::testing::Test
{
protected:
    CReliabilityTest();
    ~CReliabilityTest() override;

    void Open(const CDatWriter& w);
    void OpenPath(const std::string& archive);
    // The entry whose stored path (folders joined by '\\') or, failing that, own name is name.
    CDATInternalFile& Entry(const std::string& name);
    // Listing rows of the named entries, in the order given.
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
