// A set of sources opened as one: the 30k and 200k archives and a folder of
// 2,000 loose files (400 of them overriding archive entries), merged into one
// model and its folder tree built, as the browser would before painting.
#include "archive/datfiledoc.h"
#include "archive/sourcestack.h"
#include "benchdata.h"
#include "views/treebuild.h"

#include <benchmark/benchmark.h>

namespace {

void BM_OpenSet30k200kFolder2k(benchmark::State& state)
{
    const std::string sources[] = {BenchArchive(EBenchArchive::kGame30k), BenchArchive(EBenchArchive::kTiny200k),
                                   LooseFolder()};
    std::size_t entries = 0;
    for (auto _ : state) {
        CSourceStack stack;
        std::vector<std::string> skipped;
        for (const std::string& s : sources)
            stack.Add(s, s, skipped);
        CDATFileDoc doc(false);
        stack.Build(doc);
        CTreeModel tree = BuildFolderTree(doc);
        benchmark::DoNotOptimize(tree.m_nodes.data());
        entries = doc.m_files.size();
    }
    state.counters["entries"] = double(entries);
}
BENCHMARK(BM_OpenSet30k200kFolder2k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
