// The browser on Qt's offscreen platform over the generated archives: opening
// the 200,000-entry archive until its tree is painted, showing a 640 x 480 FRM
// that is not in the cache yet and repainting it, copying the 10,000 entries
// of the largest folder with the progress dialog, typing into Find, and the
// thumbnails of a folder of critters.
#include "archive/datfiledoc.h"
#include "benchdata.h"
#include "filetypes/cachepath.h"
#include "shell/app.h"
#include "shell/mainframe.h"
#include "shell/qtuiservices.h"
#include "views/filelist.h"
#include "views/fileviewer.h"
#include "views/folderslist.h"
#include "views/listingmodel.h"
#include "views/thumbnails.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QTimer>
#include <QTreeView>
#include <QStandardPaths>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string g_scratch; // a temporary home for the profile, the cache and copies

// The Qt services, with the folder chooser answered by the benchmark.
class CBenchServices : public CQtUiServices
{
public:
    std::optional<std::string> BrowseForFolder(CWnd*, const std::string&) override { return m_strFolder; }
    std::string m_strFolder;
};

// Counts paints of any widget, and the longest time without one.
class CPaintWatch : public QObject
{
public:
    void Start()
    {
        m_nPaints = 0;
        m_nLongestGapMs = 0;
        m_clock.start();
        m_nLast = 0;
    }
    void Stop() { Gap(); }
    int m_nPaints = 0;
    qint64 m_nLongestGapMs = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++m_nPaints;
            Gap();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Gap()
    {
        const qint64 now = m_clock.elapsed();
        m_nLongestGapMs = std::max(m_nLongestGapMs, now - m_nLast);
        m_nLast = now;
    }
    QElapsedTimer m_clock;
    qint64 m_nLast = 0;
};

// Notes that a widget painted.
class CPaintFlag : public QObject
{
public:
    bool m_bPainted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            m_bPainted = true;
        return QObject::eventFilter(watched, event);
    }
};

struct SApp
{
    SApp()
    {
        app.InitInstance({}, &services);
        services.SetMainWindow(app.Frame());
        app.Frame()->resize(1024, 768);
        QCoreApplication::processEvents();
    }
    CBenchServices services;
    CDravikApp app;
};

// Opens path (an archive or a set) in a fresh window until its tree, filled,
// has been painted.
void OpenUntilTreePainted(benchmark::State& state, const QString& path)
{
    SApp a;
    CDATFoldersList* tree = a.app.Frame()->GetFoldersList();
    CPaintFlag painted;
    tree->viewport()->installEventFilter(&painted);
    for (auto _ : state) {
        state.PauseTiming();
        a.app.OnFileNew();
        QCoreApplication::processEvents();
        painted.m_bPainted = false;
        state.ResumeTiming();
        a.app.OpenDocumentFile(path);
        while (tree->model()->rowCount() == 0 || !painted.m_bPainted)
            QCoreApplication::processEvents();
    }
    state.counters["entries"] = double(a.app.Document()->m_files.size());
}

void BM_OpenInBrowser200k(benchmark::State& state)
{
    const QString path = QString::fromStdString(BenchArchive(EBenchArchive::kTiny200k));
    OpenUntilTreePainted(state, path);
}
BENCHMARK(BM_OpenInBrowser200k)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The 30k and 200k archives and a 2,000-file folder opened as one set.
void BM_OpenSetInBrowser30k200kFolder2k(benchmark::State& state)
{
    std::vector<std::string> sources{BenchArchive(EBenchArchive::kGame30k), BenchArchive(EBenchArchive::kTiny200k),
                                     LooseFolder()};
    const QString path = QString::fromStdString(JoinSourceSet(sources));
    OpenUntilTreePainted(state, path);
}
BENCHMARK(BM_OpenSetInBrowser30k200kFolder2k)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A viewer pane over the 30k archive, its FRM handler converting into a fresh cache.
struct SViewer
{
    explicit SViewer(int width, int height) : viewer(&doc)
    {
        const std::string& path = BenchArchive(EBenchArchive::kGame30k);
        doc.m_CashPath.Set(g_scratch + "/viewer-cache");
        doc.LoadArchive(path);
        viewer.resize(width, height);
        viewer.show();
        viewer.OnInitialUpdate();
        QCoreApplication::processEvents();
        for (CDATInternalFile& f : doc.m_files)
            if (f.m_pParent->GetName() == "splash")
                splashes.push_back(&f);
    }
    CDATFileDoc doc{false};
    CDATFileViewer viewer;
    std::vector<CDATInternalFile*> splashes;
};

void BM_SelectUncachedFrm640(benchmark::State& state)
{
    SViewer v(int(state.range(0)), int(state.range(1)));
    if (v.splashes.size() < 2) {
        state.SkipWithError("no 640 x 480 pictures");
        return;
    }
    std::size_t next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CDATInternalFile* item = v.splashes[next++ % v.splashes.size()];
        ::unlink(CacheFileFor(v.doc.Context(), *item, ".bmp").c_str());
        v.viewer.OnUpdate(nullptr, 0, nullptr); // nor a preview kept from an earlier round
        state.ResumeTiming();
        v.viewer.SetItem(item);
        v.viewer.viewport()->repaint();
    }
    // The picture was really made: its cache file is there.
    if (::access(CacheFileFor(v.doc.Context(), *v.splashes[(next - 1) % v.splashes.size()], ".bmp").c_str(), F_OK) != 0)
        state.SkipWithError("the picture was not converted");
}
BENCHMARK(BM_SelectUncachedFrm640)->Args({800, 600})->Args({500, 400})->Unit(benchmark::kMillisecond);

void BM_RepaintShownFrm640(benchmark::State& state)
{
    SViewer v(int(state.range(0)), int(state.range(1)));
    if (v.splashes.empty()) {
        state.SkipWithError("no 640 x 480 pictures");
        return;
    }
    v.viewer.SetItem(v.splashes.front());
    v.viewer.viewport()->repaint();
    QCoreApplication::processEvents();
    for (auto _ : state)
        v.viewer.viewport()->repaint();
}
BENCHMARK(BM_RepaintShownFrm640)->Args({800, 600})->Args({500, 400})->Unit(benchmark::kMillisecond);

void BM_CopyTo10k(benchmark::State& state)
{
    SApp a;
    const QString path = QString::fromStdString(BenchArchive(EBenchArchive::kGame30k));
    a.app.OpenDocumentFile(path);
    CDATFileDoc& doc = *a.app.Document();
    const CDATFolder* folder = nullptr;
    for (const CDATFolder& f : doc.m_folders)
        if (f.m_nDepth == 2 && f.GetName() == "tiles" && f.m_pParent->GetName() == "art")
            folder = &f;
    if (!folder) {
        state.SkipWithError("no copy folder");
        return;
    }
    doc.ListFolder(folder, nullptr);
    CDATFileList* list = a.app.Frame()->GetFileList();
    std::vector<int> rows(doc.m_listing.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = int(i);
    list->SelectRows(rows);
    QCoreApplication::processEvents();
    CPaintWatch watch;
    qApp->installEventFilter(&watch);
    qint64 longestGap = 0;
    int paints = 0;
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string out = "/dev/shm/dravik-bench-copy-" + std::to_string(::getpid()) + "-" + std::to_string(run++);
        fs::create_directories(out);
        a.services.m_strFolder = out;
        watch.Start();
        state.ResumeTiming();
        list->OnCopyTo();
        state.PauseTiming();
        watch.Stop();
        longestGap = std::max(longestGap, watch.m_nLongestGapMs);
        paints += watch.m_nPaints;
        fs::remove_all(out);
        state.ResumeTiming();
    }
    qApp->removeEventFilter(&watch);
    state.counters["files"] = double(rows.size());
    state.counters["longest_unpainted_ms"] = double(longestGap);
    state.counters["paints_per_copy"] = double(paints) / double(std::max<std::int64_t>(state.iterations(), 1));
}
BENCHMARK(BM_CopyTo10k)->Unit(benchmark::kMillisecond)->Iterations(3);

// Typing a piece of a path into Find over the 200,000-entry archive, then
// erasing it: each keystroke until the list has painted its new rows.
void BM_FindKeystroke200k(benchmark::State& state)
{
    SApp a;
    a.app.OpenDocumentFile(QString::fromStdString(BenchArchive(EBenchArchive::kTiny200k)));
    CDATFileList* list = a.app.Frame()->GetFileList();
    list->SetStyle(CDATFileList::LVS_REPORT);
    list->StartFind();
    QLineEdit* field = list->FindField();
    CPaintFlag painted;
    list->DetailsView()->viewport()->installEventFilter(&painted);
    qint64 handledNs = 0; // in the field's key handler: matching and the model's reset
    auto keystroke = [&](QChar ch) {
        const bool erase = ch.isNull();
        QKeyEvent press(QEvent::KeyPress, erase ? int(Qt::Key_Backspace) : int(ch.toUpper().unicode()), Qt::NoModifier,
                        erase ? QString() : QString(ch));
        painted.m_bPainted = false;
        QElapsedTimer typed;
        typed.start();
        QCoreApplication::sendEvent(field, &press);
        handledNs += typed.nsecsElapsed();
        QElapsedTimer limit;
        limit.start();
        while (!painted.m_bPainted && limit.elapsed() < 2000)
            QCoreApplication::processEvents();
    };
    QCoreApplication::processEvents();
    // The first keystroke comes while the paths are being folded (Find has
    // just opened); until its matches are painted it is reported apart.
    QElapsedTimer first;
    first.start();
    keystroke(QLatin1Char('q'));
    const double firstMs = double(first.nsecsElapsed()) / 1e6;
    // The window must not wait for the folding: the key handler returns at once.
    const double firstHandlerMs = double(handledNs) / 1e6;
    keystroke(QChar());
    handledNs = 0;
    const QString typed = QStringLiteral("dir12\\aab0");
    std::size_t step = 0, rows = 0;
    for (auto _ : state) {
        const std::size_t at = step++ % (2 * std::size_t(typed.size()));
        keystroke(at < std::size_t(typed.size()) ? typed[qsizetype(at)] : QChar());
        rows += std::size_t(list->Model()->rowCount());
    }
    state.counters["first_keystroke_ms"] = firstMs;
    state.counters["first_handler_ms"] = firstHandlerMs;
    state.counters["handler_ms"] = double(handledNs) / 1e6 / double(std::max<std::int64_t>(state.iterations(), 1));
    state.counters["rows_per_keystroke"] = double(rows) / double(std::max<std::int64_t>(state.iterations(), 1));
}
BENCHMARK(BM_FindKeystroke200k)->Unit(benchmark::kMillisecond);

// The critters folder (2,720 FRMs of six directions) shown as thumbnails:
// until the cells in sight have theirs, until 2,000 and all are made, and the
// longest gap between ticks of a 1 ms timer meanwhile.
void BM_Thumbnails2000(benchmark::State& state)
{
    SApp a;
    a.app.OpenDocumentFile(QString::fromStdString(BenchArchive(EBenchArchive::kGame30k)));
    CDATFileDoc& doc = *a.app.Document();
    const CDATFolder* critters = nullptr;
    for (const CDATFolder& f : doc.m_folders)
        if (f.m_nDepth == 2 && f.GetName() == "critters" && f.m_pParent->GetName() == "art")
            critters = &f;
    const CDATInternalFile* critter = nullptr;
    const CDATInternalFile* rootFile = nullptr;
    for (const CDATInternalFile& f : doc.m_files) {
        if (!critter && f.m_pParent == critters)
            critter = &f;
        if (!rootFile && f.m_pParent->IsRoot())
            rootFile = &f;
    }
    if (!critter || !rootFile) {
        state.SkipWithError("no critters folder");
        return;
    }
    // Folders are shown as the user shows them, through the tree, which
    // otherwise lists its own selection again.
    CDATFoldersList* tree = a.app.Frame()->GetFoldersList();
    CDATFileList* list = a.app.Frame()->GetFileList();
    list->SetStyle(CDATFileList::LVS_ICON);
    list->SetThumbnails(true);
    QListView* view = list->IconView();
    CThumbnailCache* cache = list->Model()->ThumbnailCache();
    double visibleMs = 0, twoThousandMs = 0, allMs = 0, longestStall = 0, longestBusy = 0;
    // The window thread's own time between ticks: its stalls apart from a
    // busy machine's waits for a core.
    auto threadMs = [] {
        timespec t{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    };
    for (auto _ : state) {
        state.PauseTiming();
        tree->ShowNodeOf(rootFile); // elsewhere, then forget all
        cache->Forget();
        QCoreApplication::processEvents();
        const int before = cache->Finished();
        QElapsedTimer clock, tick;
        qint64 lastTick = 0, stall = 0;
        double lastBusy = threadMs(), busy = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            stall = std::max(stall, tick.elapsed() - lastTick);
            lastTick = tick.elapsed();
            busy = std::max(busy, threadMs() - lastBusy);
            lastBusy = threadMs();
        });
        ticker.start(1);
        state.ResumeTiming();
        clock.start();
        tick.start();
        tree->ShowNodeOf(critter);
        qint64 visible = -1, twoThousand = -1;
        const int rows = list->Model()->rowCount();
        while (clock.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (visible < 0) {
                bool all = true;
                for (int row = 0; row < rows && all; ++row) {
                    const QModelIndex index = list->Model()->index(row, 0);
                    if (view->visualRect(index).intersects(view->viewport()->rect()))
                        all = cache->Settled(*static_cast<CDATInternalFile*>(list->Model()->ItemAt(row)));
                }
                if (all)
                    visible = clock.nsecsElapsed();
            }
            const int done = cache->Finished() - before;
            if (twoThousand < 0 && done >= 2000)
                twoThousand = clock.nsecsElapsed();
            if (done >= rows - 1) // the folder's list file has no thumbnail
                break;
        }
        state.PauseTiming();
        visibleMs += double(visible) / 1e6;
        twoThousandMs += double(twoThousand) / 1e6;
        allMs += double(clock.nsecsElapsed()) / 1e6;
        longestStall = std::max(longestStall, double(stall));
        longestBusy = std::max(longestBusy, busy);
        state.ResumeTiming();
    }
    const double n = double(std::max<std::int64_t>(state.iterations(), 1));
    state.counters["visible_ms"] = visibleMs / n;
    state.counters["first_2000_ms"] = twoThousandMs / n;
    state.counters["all_ms"] = allMs / n;
    state.counters["longest_stall_ms"] = longestStall;
    state.counters["longest_busy_ms"] = longestBusy;
}
BENCHMARK(BM_Thumbnails2000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    // The profile and cache go to a scratch home, never the user's.
    std::string templ = "/tmp/dravik-bench-home-XXXXXX";
    g_scratch = ::mkdtemp(templ.data());
    ::setenv("HOME", g_scratch.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (g_scratch + "/config").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (g_scratch + "/cache").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (g_scratch + "/data").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("DravikInc"));
    QCoreApplication::setApplicationName(QStringLiteral("Ashmoor 2 DAT file browser bench"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(g_scratch, ec);
    return 0;
}
