#include "reliability.h"

#include "frmwriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

SNode NodeOf(const std::string& path, const struct stat& st)
{
    SNode node;
    node.kind = S_ISREG(st.st_mode) ? 'f' : S_ISDIR(st.st_mode) ? 'd' : S_ISLNK(st.st_mode) ? 'l' : '?';
    node.inode = st.st_ino;
    node.mtimeNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    if (node.kind != 'd')
        node.size = std::uint64_t(st.st_size);
    if (node.kind == 'l') {
        char target[4096];
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target);
        if (n > 0)
            node.linkTarget.assign(target, std::size_t(n));
    } else if (node.kind == 'f' && st.st_size <= (1 << 20)) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream ss;
        ss << in.rdbuf();
        node.content = ss.str();
    }
    return node;
}

void Walk(const std::string& root, const std::string& rel, CTreeSnapshot& out)
{
    const std::string dir = rel.empty() ? root : root + "/" + rel;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        throw std::runtime_error("cannot list " + dir);
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(d);
    for (const std::string& name : names) {
        const std::string childRel = rel.empty() ? name : rel + "/" + name;
        const std::string full = root + "/" + childRel;
        struct stat st;
        if (::lstat(full.c_str(), &st) != 0)
            continue;
        out[childRel] = NodeOf(full, st);
        if (S_ISDIR(st.st_mode))
            Walk(root, childRel, out);
    }
}

bool Inside(const std::string& path, const std::vector<std::string>& folders)
{
    return std::any_of(folders.begin(), folders.end(), [&path](const std::string& f) {
        return path == f || (path.size() > f.size() && path.compare(0, f.size(), f) == 0 && path[f.size()] == '/');
    });
}

} // namespace

CTreeSnapshot TakeSnapshot(const std::string& root)
{
    CTreeSnapshot out;
    std::string r = root;
    while (r.size() > 1 && r.back() == '/')
        r.pop_back();
    Walk(r, std::string(), out);
    return out;
}

std::vector<std::string> ChangesOutside(const CTreeSnapshot& before, const CTreeSnapshot& after,
                                        const std::vector<std::string>& allowed)
{
    std::vector<std::string> changes;
    for (const auto& [path, node] : before) {
        if (Inside(path, allowed))
            continue;
        auto it = after.find(path);
        if (it == after.end())
            changes.push_back("removed " + path);
        else if (!(it->second == node))
            changes.push_back("changed " + path);
    }
    for (const auto& [path, node] : after)
        if (!Inside(path, allowed) && !before.count(path))
            changes.push_back("added " + path);
    return changes;
}

std::vector<std::string> AddedBelow(const CTreeSnapshot& before, const CTreeSnapshot& after, const std::string& folder)
{
    std::vector<std::string> added;
    for (const auto& [path, node] : after)
        if (!before.count(path) && path.size() > folder.size() && path.compare(0, folder.size() + 1, folder + "/") == 0)
            added.push_back(path.substr(folder.size() + 1));
    return added;
}

SPathState StateOf(const std::string& path)
{
    SPathState state;
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0) {
        state.exists = true;
        state.node = NodeOf(path, st);
    }
    return state;
}

CFileSizeLimit::CFileSizeLimit(rlim_t bytes)
{
    ::getrlimit(RLIMIT_FSIZE, &m_old);
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit r = m_old;
    r.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &r);
}

CFileSizeLimit::~CFileSizeLimit()
{
    ::setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_oldHandler);
}

bool MakeSparseFile(const std::string& path, std::uint64_t length)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool sized = ::ftruncate(fd, off_t(length)) == 0;
    struct stat st;
    const bool sparse = sized && ::fstat(fd, &st) == 0 && std::uint64_t(st.st_blocks) * 512 < length / 2;
    ::close(fd);
    if (!sparse)
        ::unlink(path.c_str());
    return sparse;
}

void WriteAt(const std::string& path, std::uint64_t offset, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0 || ::pwrite(fd, bytes.data(), bytes.size(), off_t(offset)) != ssize_t(bytes.size())) {
        if (fd >= 0)
            ::close(fd);
        throw std::runtime_error("cannot write " + path);
    }
    ::close(fd);
}

std::string CaptureStderr(const std::function<void()>& body)
{
    std::fflush(stderr);
    std::FILE* capture = std::tmpfile();
    if (!capture)
        throw std::runtime_error("no temporary file for stderr");
    const int saved = ::dup(2);
    ::dup2(::fileno(capture), 2);
    try {
        body();
    } catch (...) {
        std::fflush(stderr);
        ::dup2(saved, 2);
        ::close(saved);
        std::fclose(capture);
        throw;
    }
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    std::string text;
    std::rewind(capture);
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, capture)) > 0)
        text.append(buf, n);
    std::fclose(capture);
    return text;
}

std::string SmallFrm()
{
    return BuildFrm(4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
}

std::string SmallPalette()
{
    return BuildPalette(DemoPalette());
}

std::string SmallRix()
{
    return BuildRix(4, 3, DemoPalette(), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
}
