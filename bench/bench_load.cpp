// Loading a 200,000-entry directory into the document, and the listings over it.
#include "archive/datfiledoc.h"
#include "datwriter.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

constexpr std::size_t kEntries = 200000;

// Names shaped like a game archive: six top folders, 100 leaf folders of 2,000
// entries each, several extensions.
std::string NameOf(std::size_t i)
{
    static const char* const tops[] = {"art", "proto", "text", "sound", "maps", "data"};
    static const char* const exts[] = {"frm", "pro", "msg", "acm", "map", "txt", "fr0", "lst"};
    const std::size_t folder = i / 2000;
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s\\group%02zu\\sub%03zu\\FILE%06zu.%s", tops[folder % 6], folder % 17, folder,
                  i, exts[(i / 3) % 8]);
    return buf;
}

// The file goes when the static holding its name does: an atexit handler
// registered while that static is being made would run after its destructor.
struct SRemovedAtExit
{
    std::string m_strPath;
    ~SRemovedAtExit() { std::remove(m_strPath.c_str()); }
};

const std::string& ArchivePath()
{
    static const SRemovedAtExit archive = [] {
        std::string dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/";
        std::string p = dir + "dravik-bench-" + std::to_string(getpid()) + ".dat";
        std::string bytes = BuildDirectoryOnlyArchive(kEntries, NameOf);
        std::ofstream(p, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return SRemovedAtExit{p};
    }();
    return archive.m_strPath;
}

void BM_LoadArchive200k(benchmark::State& state)
{
    const std::string& path = ArchivePath();
    for (auto _ : state) {
        CDATFileDoc doc(false);
        doc.LoadArchive(path);
        benchmark::DoNotOptimize(doc.m_files.data());
        if (doc.m_files.size() != kEntries || doc.m_files.capacity() != kEntries)
            state.SkipWithError("entry array not sized once to the entry count");
    }
    state.counters["entries"] = double(kEntries);
}
BENCHMARK(BM_LoadArchive200k)->Unit(benchmark::kMillisecond);

void BM_ListFolder(benchmark::State& state)
{
    CDATFileDoc doc(false);
    doc.LoadArchive(ArchivePath());
    const CDATFolder* biggest = &doc.m_rootFolder;
    std::size_t most = 0;
    for (const CDATFolder& f : doc.m_folders) {
        std::size_t n = doc.m_index.m_folderFileStart[f.m_nIndex + 1] - doc.m_index.m_folderFileStart[f.m_nIndex];
        if (n > most) {
            most = n;
            biggest = &f;
        }
    }
    for (auto _ : state)
        doc.ListFolder(biggest, nullptr);
    state.counters["items"] = double(doc.m_listing.size());
}
BENCHMARK(BM_ListFolder)->Unit(benchmark::kMicrosecond);

void BM_ListFileType(benchmark::State& state)
{
    CDATFileDoc doc(false);
    doc.LoadArchive(ArchivePath());
    const CDATFileType* frm = doc.m_types.find("frm")->second.get();
    for (auto _ : state)
        doc.ListFileType(frm, nullptr);
    state.counters["items"] = double(doc.m_listing.size());
}
BENCHMARK(BM_ListFileType)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
