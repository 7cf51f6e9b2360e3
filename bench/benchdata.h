#pragma once
// The generated archives the benchmarks read, made once and kept in the build
// folder (or $DRAVIK_BENCHDATA).
#include "benchgen.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

inline const std::string& BenchArchive(EBenchArchive kind)
{
    // Each made on first use only: a run of one benchmark waits for its own archive.
    static const std::string dir = BenchDataDir(DRAVIK_BENCHDATA_DIR);
    if (kind == EBenchArchive::kGame30k) {
        static const std::string game = EnsureBenchArchive(EBenchArchive::kGame30k, dir);
        return game;
    }
    static const std::string tiny = EnsureBenchArchive(EBenchArchive::kTiny200k, dir);
    return tiny;
}

// A folder of 2,000 loose files, 400 of them overriding entries of the 30k archive.
inline std::string LooseFolder()
{
    namespace fs = std::filesystem;
    static const std::string dir = BenchDataDir(DRAVIK_BENCHDATA_DIR) + "/loose2k-v1";
    if (fs::exists(dir + "/done"))
        return dir;
    char name[64];
    for (int i = 0; i < 2000; ++i) {
        if (i < 400)
            std::snprintf(name, sizeof name, "art/tiles/aaa%04d.frm", i);
        else
            std::snprintf(name, sizeof name, "data/set%02d/file%04d.txt", i % 16, i);
        const fs::path path = fs::path(dir) / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "loose file " << i << '\n';
    }
    std::ofstream(dir + "/done") << "";
    return dir;
}
