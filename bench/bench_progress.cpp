// Loading a 200,000-entry directory with and without the progress dialog
// (offscreen): the dialog may cost at most a tenth of the load.
#include "archive/datfiledoc.h"
#include "datwriter.h"
#include "shell/progressdlg.h"

#include <QApplication>
#include <QMainWindow>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

constexpr std::size_t kEntries = 200000;

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
        std::string p = dir + "dravik-bench-progress-" + std::to_string(getpid()) + ".dat";
        std::string bytes = BuildDirectoryOnlyArchive(kEntries, [](std::size_t i) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "art\\group%03zu\\FILE%06zu.frm", i / 2000, i);
            return std::string(buf);
        });
        std::ofstream(p, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return SRemovedAtExit{p};
    }();
    return archive.m_strPath;
}

void Load(benchmark::State& state, bool withDialog)
{
    QMainWindow owner;
    for (auto _ : state) {
        CDATFileDoc doc(false);
        if (withDialog)
            doc.SetProgressFactory([&owner] { return std::make_unique<CProgressDlg>(&owner); });
        doc.LoadArchive(ArchivePath());
        benchmark::DoNotOptimize(doc.m_files.data());
    }
}

void BM_Load200kWithoutDialog(benchmark::State& state)
{
    Load(state, false);
}
BENCHMARK(BM_Load200kWithoutDialog)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Load200kWithDialog(benchmark::State& state)
{
    Load(state, true);
}
BENCHMARK(BM_Load200kWithDialog)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
