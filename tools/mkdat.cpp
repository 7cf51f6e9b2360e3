// dravik-mkdat: packs a folder into a DAT archive (demo archive, hand-made fixtures).
#include "datwriter.h"

#include <cstdio>
#include <cstring>
#include <exception>

namespace {

void Usage(std::FILE* to)
{
    std::fputs("usage: dravik-mkdat OUT.dat FOLDER\n"
               "Packs every regular file under FOLDER into OUT.dat, named by its path\n"
               "relative to FOLDER with '\\' between components, sorted by name without\n"
               "regard to ASCII case, each compressed when that makes it smaller.\n",
               to);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        Usage(stdout);
        return 0;
    }
    if (argc != 3) {
        Usage(stderr);
        return 1;
    }
    try {
        PackFolder(argv[2], argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dravik-mkdat: %s\n", e.what());
        return 1;
    }
    return 0;
}
