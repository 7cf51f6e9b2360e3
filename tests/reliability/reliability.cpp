#include "reliability.h"

#include "archive/playerresource.h"
#include "frmwriter.h"
#include "helpers.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace fs = std::filesystem;

std::string StateOf(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return "";
    std::string state = std::to_string(st.st_mode) + " " + std::to_string(st.st_ino) + " " +
                        std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
    if (S_ISLNK(st.st_mode))
        return state + " -> " + fs::read_symlink(path).string();
    if (S_ISDIR(st.st_mode))
        return state;
    state += " " + std::to_string(st.st_size);
    return st.st_size <= (1 << 20) ? state + ": " + ReadWholeFile(path) : state;
}

CTreeSnapshot TakeSnapshot(const std::string& root)
{
    CTreeSnapshot out;
    for (const auto& e : fs::recursive_directory_iterator(root)) // links to folders are not entered
        out[e.path().lexically_relative(root).string()] = StateOf(e.path().string());
    return out;
}

std::vector<std::string> ChangesOutside(const CTreeSnapshot& before, const CTreeSnapshot& after,
                                        const std::string& allowed)
{
    auto inside = [&](const std::string& p) {
        return !allowed.empty() && (p == allowed || p.rfind(allowed + "/", 0) == 0);
    };
    std::vector<std::string> changes;
    for (const auto& [path, state] : before) {
        auto it = after.find(path);
        if (!inside(path) && (it == after.end() || it->second != state))
            changes.push_back((it == after.end() ? "removed " : "changed ") + path);
    }
    for (const auto& [path, state] : after)
        if (!inside(path) && !before.count(path))
            changes.push_back("added " + path);
    return changes;
}

bool MakeSparseFile(const std::string& path, std::uint64_t length)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    struct stat st;
    const bool sparse = ::ftruncate(fd, off_t(length)) == 0 && ::fstat(fd, &st) == 0 &&
                        std::uint64_t(st.st_blocks) * 512 < length / 2;
    ::close(fd);
    if (!sparse)
        ::unlink(path.c_str());
    return sparse;
}

void WriteAt(const std::string& path, std::uint64_t offset, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::pwrite(fd, bytes.data(), bytes.size(), off_t(offset)) == ssize_t(bytes.size());
    if (fd >= 0)
        ::close(fd);
    if (!ok)
        throw std::runtime_error("cannot write " + path);
}

std::string CaptureStderr(const std::function<void()>& body)
{
    CTempDir dir;
    const std::string path = dir / "stderr";
    std::fflush(stderr);
    const int saved = ::dup(2), capture = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ::dup2(capture, 2);
    ::close(capture);
    std::unique_ptr<int, void (*)(int*)> restore(new int(saved), [](int* fd) {
        std::fflush(stderr);
        ::dup2(*fd, 2);
        ::close(*fd);
        delete fd;
    });
    body();
    restore.reset();
    return ReadWholeFile(path);
}

std::string SmallFrm() { return BuildFrm(4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}); }
std::string SmallPalette() { return BuildPalette(DemoPalette()); }
std::string SmallRix() { return BuildRix(4, 3, DemoPalette(), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}); }

std::string Zlib(const std::string& data)
{
    uLongf size = compressBound(uLong(data.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
              uLong(data.size()), 9);
    out.resize(size);
    return out;
}

CReliabilityTest::CReliabilityTest()
{
    m_root = m_dir.Path().substr(0, m_dir.Path().size() - 1);
    m_out = m_root + "/out";
    m_archive = m_root + "/archive.dat";
    fs::create_directory(m_out);
    SetPlayerResourceProvider([] { return std::optional<std::string_view>("#!/bin/false\nfake player\n"); });
}

CReliabilityTest::~CReliabilityTest() { SetPlayerResourceProvider({}); }

void CReliabilityTest::Open(const CDatWriter& w)
{
    w.WriteTo(m_archive);
    OpenPath(m_archive);
}

void CReliabilityTest::OpenPath(const std::string& archive)
{
    m_archive = archive;
    m_doc = std::make_unique<CDATFileDoc>(false);
    ASSERT_TRUE(m_doc->OpenDocumentFile(archive)) << ::testing::PrintToString(m_ui.m_reports);
    m_doc->m_CashPath.Set(m_root + "/cache");
    m_doc->m_listing.clear();
    for (CDATInternalFile& f : m_doc->m_files)
        m_doc->m_listing.push_back(&f);
}

CDATInternalFile& CReliabilityTest::Entry(const std::string& name) { return FindFile(*m_doc, name); }

std::vector<int> CReliabilityTest::Rows(const std::vector<std::string>& names)
{
    std::vector<int> rows;
    for (const std::string& name : names)
        rows.push_back(int(&Entry(name) - m_doc->m_files.data()));
    return rows;
}

void CReliabilityTest::Old(const std::string& name, const std::string& content)
{
    const std::string path = m_out + "/" + name;
    WriteWholeFile(path, content);
    fs::last_write_time(path, fs::last_write_time(path) - std::chrono::hours(24 * 365));
}

std::set<std::string> CReliabilityTest::FilesIn(const std::string& folder)
{
    std::set<std::string> names;
    if (fs::exists(folder))
        for (const auto& e : fs::recursive_directory_iterator(folder))
            if (!e.is_directory())
                names.insert(e.path().lexically_relative(folder).string());
    return names;
}
