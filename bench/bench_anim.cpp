// Pictures that move, on Qt's offscreen platform: preparing every frame of a
// six-direction critter, the next frame of a playing 640 x 480 animation from
// its timer to the painted pane, and the CPU a window playing a 10 fps critter
// takes while nothing else happens.
#include "archive/datfiledoc.h"
#include "datwriter.h"
#include "filetypes/frmanimation.h"
#include "frmwriter.h"
#include "views/fileviewer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

namespace {

std::string g_scratch;

std::string Critter(int frames, int side, std::uint16_t fps)
{
    std::array<std::vector<SFrmFrameSpec>, 6> directions;
    for (int d = 0; d < 6; ++d)
        directions[std::size_t(d)] = CritterFrames(d, frames, side, side);
    return BuildFrmDirections(fps, 0, directions);
}

void BM_PrepareCritterFrames(benchmark::State& state)
{
    const std::string bytes = Critter(10, 100, 10);
    const Palette768 palette = ReadPalette(BuildPalette(DemoPalette()));
    for (auto _ : state) {
        SFrmSet set;
        set.m_frm = ParseFrm(bytes, "critter.frm");
        set.m_present.fill(true);
        CFrmAnimationPreview preview(set, palette, "color.pal");
        benchmark::DoNotOptimize(preview.Bytes());
    }
}
BENCHMARK(BM_PrepareCritterFrames)->Unit(benchmark::kMillisecond);

// A viewer showing one picture of an archive written for it.
struct SViewer
{
    SViewer(const std::string& frm, int width, int height) : viewer(&doc)
    {
        CDatWriter writer;
        writer.AddStored("color.pal", BuildPalette(DemoPalette()));
        writer.AddCompressed("anim.frm", frm);
        const std::string path = g_scratch + "/anim.dat";
        writer.WriteTo(path);
        doc.LoadArchive(path);
        doc.m_CashPath.Set(g_scratch + "/viewer-cache");
        viewer.resize(width, height);
        viewer.show();
        viewer.OnInitialUpdate();
        for (CDATInternalFile& f : doc.m_files)
            if (f.m_strName == "anim.frm")
                viewer.SetItem(&f);
        // Large pictures are made on a worker thread.
        while (viewer.IsPreviewPending())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        if (!viewer.Animation() || !viewer.AnimationTimer().isActive()) {
            std::fprintf(stderr, "the animation does not play\n");
            std::exit(1);
        }
    }
    CDATFileDoc doc{false};
    CDATFileViewer viewer;
};

// Notes when the timer fires (before the viewer's slot runs) and when the pane paints.
class CTickWatch : public QObject
{
public:
    QElapsedTimer m_clock;
    qint64 m_nTick = -1;
    bool m_bPainted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Timer && m_nTick < 0)
            m_nTick = m_clock.nsecsElapsed();
        else if (event->type() == QEvent::Paint && m_nTick >= 0)
            m_bPainted = true;
        return QObject::eventFilter(watched, event);
    }
};

void BM_NextFrame640(benchmark::State& state)
{
    std::array<std::vector<SFrmFrameSpec>, 6> directions;
    for (int k = 0; k < 10; ++k)
        directions[0].push_back({640, 480, 0, 0, LandscapePicture(640, 480)});
    for (auto& f : directions[0])
        std::rotate(f.m_pixels.begin(), f.m_pixels.begin() + 6400 * (&f - directions[0].data()), f.m_pixels.end());
    SViewer v(BuildFrmDirections(30, 0, directions), 800, 600);
    CTickWatch watch;
    watch.m_clock.start();
    const_cast<QTimer&>(v.viewer.AnimationTimer()).installEventFilter(&watch);
    v.viewer.viewport()->installEventFilter(&watch);
    for (auto _ : state) {
        watch.m_nTick = -1;
        watch.m_bPainted = false;
        while (!watch.m_bPainted)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // Until the paint event is handled.
        QCoreApplication::processEvents();
        state.SetIterationTime(double(watch.m_clock.nsecsElapsed() - watch.m_nTick) / 1e9);
    }
}
BENCHMARK(BM_NextFrame640)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(60);

double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_IdleCpuCritter10fps(benchmark::State& state)
{
    SViewer v(Critter(8, 100, 10), 500, 400);
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const double before = CpuSeconds();
        QElapsedTimer clock;
        clock.start();
        QEventLoop loop;
        QTimer::singleShot(3000, &loop, &QEventLoop::quit);
        loop.exec();
        cpu += CpuSeconds() - before;
        wall += double(clock.elapsed()) / 1e3;
    }
    state.counters["cpu_pct"] = 100 * cpu / wall;
}
BENCHMARK(BM_IdleCpuCritter10fps)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    // The profile and cache go to a scratch home, never the user's.
    std::string templ = "/tmp/dravik-bench-home-XXXXXX";
    g_scratch = ::mkdtemp(templ.data());
    ::setenv("HOME", g_scratch.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (g_scratch + "/config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (g_scratch + "/cache").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(g_scratch, ec);
    return 0;
}
