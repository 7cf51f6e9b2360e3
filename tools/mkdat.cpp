// dravik-mkdat: packs a folder into a DAT archive (demo archive, hand-made fixtures).
#include "dat1writer.h"
#include "datwriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>

namespace {

void Usage(std::FILE* to)
{
    std::fputs("usage: dravik-mkdat [--dat1] OUT.dat FOLDER\n"
               "Packs every regular file under FOLDER into OUT.dat, named by its path\n"
               "relative to FOLDER with '\\' between components, sorted by name without\n"
               "regard to ASCII case, each compressed when that makes it smaller.\n"
               "--dat1 writes the first game's archive: files at the top go to the\n"
               "folder '.', every file is packed in LZSS blocks of 16 KiB.\n",
               to);
}

// The first game's layout: a folder per directory, its files by bare name.
void PackFolderDat1(const std::string& root, const std::string& outPath)
{
    std::vector<SDatEntryDef> entries = FolderEntries(root, outPath);
    SortEntries(entries);
    // The engine binary-searches the folder list too: folders in folded order
    // ('.' first), each one's files as sorted.
    auto folderOf = [](const SDatEntryDef& e) {
        const std::size_t slash = e.name.rfind('\\');
        std::string f = slash == std::string::npos ? "." : e.name.substr(0, slash);
        for (char& c : f)
            c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        return f;
    };
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const SDatEntryDef& a, const SDatEntryDef& b) { return folderOf(a) < folderOf(b); });
    CDat1Writer w;
    for (SDatEntryDef& e : entries) {
        const std::size_t slash = e.name.rfind('\\');
        SDat1EntryDef d;
        d.folder = slash == std::string::npos ? "." : e.name.substr(0, slash);
        d.name = slash == std::string::npos ? e.name : e.name.substr(slash + 1);
        d.data = std::move(e.data);
        if (d.folder.size() > 255 || d.name.size() > 255)
            throw std::runtime_error("name longer than 255 bytes: " + e.name);
        w.Add(std::move(d));
    }
    w.WriteTo(outPath);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        Usage(stdout);
        return 0;
    }
    const bool dat1 = argc == 4 && std::strcmp(argv[1], "--dat1") == 0;
    if (argc != 3 && !dat1) {
        Usage(stderr);
        return 1;
    }
    try {
        if (dat1)
            PackFolderDat1(argv[3], argv[2]);
        else
            PackFolder(argv[2], argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dravik-mkdat: %s\n", e.what());
        return 1;
    }
    return 0;
}
