// dravik-benchgen: writes one of the benchmark archives.
#include "benchgen.h"

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

void Usage(std::FILE* to)
{
    std::fputs("usage: dravik-benchgen KIND OUT.dat [GAME30K.dat]\n"
               "KIND: game30k   30,000 entries, ~1.08 GB unpacked, ~300 MB packed (zlib level 9),\n"
               "                mostly FRM pictures, one folder (art\\tiles) of 10,000 entries\n"
               "      tiny200k  200,000 tiny stored entries in 134 folders\n"
               "      game30k-patched  game30k with one entry in a hundred drawn afresh; the\n"
               "                kept entries are copied from GAME30K.dat when it is given\n"
               "The same KIND always gives the same bytes.\n",
               to);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        Usage(stdout);
        return 0;
    }
    EBenchArchive kind;
    if (argc < 3 || argc > 4 || !ParseBenchArchiveKind(argv[1], kind)) {
        Usage(stderr);
        return 1;
    }
    try {
        const SBenchArchiveFacts f = WriteBenchArchive(kind, argv[2], 0, argc == 4 ? argv[3] : "");
        std::printf("%s: %u entries, %u folders, %llu bytes packed, %llu unpacked, file %llu bytes\n", argv[2],
                    f.m_nEntries, f.m_nFolders, static_cast<unsigned long long>(f.m_nPackedBytes),
                    static_cast<unsigned long long>(f.m_nRealBytes), static_cast<unsigned long long>(f.m_nFileBytes));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dravik-benchgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
