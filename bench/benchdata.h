#pragma once
// The generated archives the benchmarks read, made once and kept in the build
// folder (or $DRAVIK_BENCHDATA).
#include "benchgen.h"

#include <string>

inline const std::string& BenchArchive(EBenchArchive kind)
{
    static const std::string dir = BenchDataDir(DRAVIK_BENCHDATA_DIR);
    static const std::string game = EnsureBenchArchive(EBenchArchive::kGame30k, dir);
    static const std::string tiny = EnsureBenchArchive(EBenchArchive::kTiny200k, dir);
    return kind == EBenchArchive::kGame30k ? game : tiny;
}
