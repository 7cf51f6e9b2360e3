// The document over the generated archives: load of 200,000 entries (with its
// peak heap per entry), a folder's listing, a type's listing and Find; unpacking
// speed of zlib and LZSS entries.
#include "archive/datfiledoc.h"
#include "archive/inflate.h"
#include "benchdata.h"
#include "dat1writer.h"

#include <benchmark/benchmark.h>
#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>
#include <zlib.h>

// Every C++ allocation is counted, by its usable size, so a load's peak and
// what stays afterwards can be told per entry.
namespace {

std::atomic<std::int64_t> g_live{0};
std::atomic<std::int64_t> g_peak{0};

void* Counted(void* p)
{
    if (!p)
        throw std::bad_alloc();
    const std::int64_t live = g_live.fetch_add(std::int64_t(malloc_usable_size(p)), std::memory_order_relaxed) +
                              std::int64_t(malloc_usable_size(p));
    std::int64_t peak = g_peak.load(std::memory_order_relaxed);
    while (live > peak && !g_peak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
    }
    return p;
}

void Uncount(void* p)
{
    if (p)
        g_live.fetch_sub(std::int64_t(malloc_usable_size(p)), std::memory_order_relaxed);
}

} // namespace

void* operator new(std::size_t n) { return Counted(std::malloc(n ? n : 1)); }
void* operator new[](std::size_t n) { return Counted(std::malloc(n ? n : 1)); }
void* operator new(std::size_t n, std::align_val_t a) { return Counted(std::aligned_alloc(std::size_t(a), (n + std::size_t(a) - 1) / std::size_t(a) * std::size_t(a))); }
void* operator new[](std::size_t n, std::align_val_t a) { return operator new(n, a); }
void operator delete(void* p) noexcept { Uncount(p); std::free(p); }
void operator delete[](void* p) noexcept { Uncount(p); std::free(p); }
void operator delete(void* p, std::size_t) noexcept { Uncount(p); std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { Uncount(p); std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { Uncount(p); std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Uncount(p); std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { Uncount(p); std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { Uncount(p); std::free(p); }

namespace {

const CDATFolder* FindFolder(const CDATFileDoc& doc, std::string_view path)
{
    const CDATFolder* found = nullptr;
    std::size_t start = 0;
    std::uint8_t depth = 1;
    for (;;) {
        const std::size_t slash = path.find('\\', start);
        const std::string_view part = path.substr(start, slash == std::string_view::npos ? path.npos : slash - start);
        const CDATFolder* next = nullptr;
        for (const CDATFolder& f : doc.m_folders)
            if (f.m_nDepth == depth && EqualNames(f.GetName(), part) && (found ? f.m_pParent == found : f.m_pParent->IsRoot()))
                next = &f;
        if (!next)
            return nullptr;
        found = next;
        if (slash == std::string_view::npos)
            return found;
        start = slash + 1;
        ++depth;
    }
}

void BM_Load200k(benchmark::State& state)
{
    const std::string& path = BenchArchive(EBenchArchive::kTiny200k);
    std::size_t entries = 0;
    {
        // One counted load first: the heap at its peak and once it is done.
        const std::int64_t before = g_live.load();
        g_peak.store(before);
        CDATFileDoc doc(false);
        doc.LoadArchive(path);
        entries = doc.m_files.size();
        const std::int64_t after = g_live.load();
        state.counters["peak_B_per_entry"] = double(g_peak.load() - before) / double(entries);
        state.counters["kept_B_per_entry"] = double(after - before) / double(entries);
    }
    for (auto _ : state) {
        CDATFileDoc doc(false);
        doc.LoadArchive(path);
        benchmark::DoNotOptimize(doc.m_files.data());
        state.PauseTiming(); // freeing the model is not part of the load
        doc.DeleteContents();
        state.ResumeTiming();
    }
    state.counters["entries"] = double(entries);
}
BENCHMARK(BM_Load200k)->Unit(benchmark::kMillisecond);

void BM_Load30k(benchmark::State& state)
{
    const std::string& path = BenchArchive(EBenchArchive::kGame30k);
    for (auto _ : state) {
        CDATFileDoc doc(false);
        doc.LoadArchive(path);
        benchmark::DoNotOptimize(doc.m_files.data());
    }
}
BENCHMARK(BM_Load30k)->Unit(benchmark::kMillisecond);

void BM_ListFolder10k(benchmark::State& state)
{
    CDATFileDoc doc(false);
    doc.LoadArchive(BenchArchive(EBenchArchive::kGame30k));
    const CDATFolder* folder = FindFolder(doc, kBenchCopyFolder);
    if (!folder) {
        state.SkipWithError("no copy folder");
        return;
    }
    for (auto _ : state)
        doc.ListFolder(folder, nullptr);
    state.counters["items"] = double(doc.m_listing.size());
}
BENCHMARK(BM_ListFolder10k)->Unit(benchmark::kMillisecond);

void BM_ListFileTypeFrm30k(benchmark::State& state)
{
    CDATFileDoc doc(false);
    doc.LoadArchive(BenchArchive(EBenchArchive::kGame30k));
    const CDATFileType* frm = doc.m_types.find("frm")->second.get();
    for (auto _ : state)
        doc.ListFileType(frm, nullptr);
    state.counters["items"] = double(doc.m_listing.size());
}
BENCHMARK(BM_ListFileTypeFrm30k)->Unit(benchmark::kMillisecond);

// Find over all 200,000 paths with nothing earlier to narrow from: a piece
// in every folder's name, one in names only, a pattern; and folding the paths.
void BM_FindScan200k(benchmark::State& state)
{
    CDATFileDoc doc(false);
    doc.LoadArchive(BenchArchive(EBenchArchive::kTiny200k));
    static const char* const kQueries[] = {"d", "aab0", "*.frm", "art/*/?a*"};
    const char* query = kQueries[state.range(0)];
    CEntrySearch search;
    std::size_t hits = 0;
    for (auto _ : state) {
        state.PauseTiming();
        search.Build(doc);
        state.ResumeTiming();
        hits = search.Find(query).size();
    }
    state.SetLabel(query);
    state.counters["hits"] = double(hits);
}
BENCHMARK(BM_FindScan200k)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_FoldPaths200k(benchmark::State& state)
{
    CDATFileDoc doc(false);
    doc.LoadArchive(BenchArchive(EBenchArchive::kTiny200k));
    CEntrySearch search;
    for (auto _ : state)
        search.Build(doc);
}
BENCHMARK(BM_FoldPaths200k)->Unit(benchmark::kMillisecond);

// Picture-like bytes: runs of one colour, repeats of recent rows and some
// noise, packing about as well as the games' art does.
const std::string& UnpackPayload()
{
    static const std::string payload = [] {
        std::string s;
        std::uint32_t x = 12345;
        auto next = [&x] { return (x = x * 1103515245u + 12345u) >> 16; };
        while (s.size() < (8u << 20)) {
            const std::uint32_t kind = next() % 4, n = 2 + next() % 60;
            if (kind == 0)
                for (std::uint32_t i = 0; i < n; ++i)
                    s += char(next());
            else if (kind == 1 || s.size() < 4096)
                s.append(n, char(next() % 16));
            else
                s += s.substr(s.size() - 1 - next() % 4000, n);
        }
        return s;
    }();
    return payload;
}

void Unpack(benchmark::State& state, EEntryStorage storage, const std::string& packed)
{
    const std::string& real = UnpackPayload();
    CDATInternalFile entry(nullptr, 1, "bench", std::uint32_t(real.size()), 0, std::uint32_t(packed.size()), nullptr);
    entry.m_storage = storage;
    std::string out(real.size(), '\0');
    for (auto _ : state) {
        const int status = UnpackEntryData(entry, reinterpret_cast<const unsigned char*>(packed.data()), packed.size(),
                                           reinterpret_cast<unsigned char*>(out.data()), out.size());
        if (status != Z_OK || out != real) {
            state.SkipWithError("the data did not unpack");
            return;
        }
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(real.size()));
    state.counters["MB_per_s"] =
        benchmark::Counter(double(real.size()) / 1e6 * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_UnpackZlib8M(benchmark::State& state)
{
    const std::string& real = UnpackPayload();
    uLongf size = compressBound(uLong(real.size()));
    std::string packed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(real.data()),
              uLong(real.size()), 9);
    packed.resize(size);
    Unpack(state, EEntryStorage::kBySizes, packed);
}
BENCHMARK(BM_UnpackZlib8M)->Unit(benchmark::kMillisecond);

void BM_UnpackLzss8M(benchmark::State& state)
{
    Unpack(state, EEntryStorage::kLzssBlocks, LzssBlocks(UnpackPayload()));
}
BENCHMARK(BM_UnpackLzss8M)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
