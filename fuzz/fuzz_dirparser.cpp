// The archive's directory over hostile bytes: the input is opened as a whole
// archive file (from memory), listed, and the first entries of a loaded
// archive are read back and unpacked to files.
#include "archive/datfiledoc.h"
#include "archive/extract.h"
#include "platform/exceptions.h"
#include "platform/file.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// A memory file reached through /proc, so the loader opens it by path like any archive.
const std::string& ArchivePath()
{
    static const std::string path = [] {
        const int fd = ::memfd_create("dravik-fuzz-archive", 0);
        if (fd < 0)
            std::abort();
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

// Extracted files go to a folder of their own in memory-backed /dev/shm.
const std::string& OutputFolder()
{
    static const std::string folder = [] {
        char templ[] = "/dev/shm/dravik-fuzz-XXXXXX";
        if (!::mkdtemp(templ))
            std::abort();
        return std::string(templ) + "/";
    }();
    return folder;
}

void LoadArchive(const std::uint8_t* data, std::size_t size)
{
    static CDATFileDoc doc(false);
    {
        CFile file(ArchivePath(), CFile::modeReadWrite);
        file.SetLength(0);
        file.Write(data, size);
    }
    try {
        doc.LoadArchive(ArchivePath());
    } catch (const CException&) {
        return;
    }
    doc.SetPathName(ArchivePath());
    if (doc.m_index.m_folderFiles.size() != doc.m_files.size() || doc.m_index.m_typeFiles.size() != doc.m_files.size())
        std::abort();
    doc.ListFolder(&doc.m_rootFolder, nullptr);
    for (const CDATFolder& folder : doc.m_folders)
        doc.ListFolder(&folder, nullptr);

    CFile archive(ArchivePath(), CFile::modeRead);
    std::size_t done = 0;
    for (const CDATInternalFile& entry : doc.m_files) {
        if (++done > 16)
            break;
        try {
            const std::string bytes = ReadEntryData(archive, entry);
            if (bytes.size() != entry.m_nRealSize)
                std::abort();
        } catch (const CException&) {
        }
        if (done > 4)
            continue;
        try {
            std::uint64_t streamed = 0;
            StreamEntryData(archive, entry, [&](const unsigned char*, std::size_t n) { streamed += n; });
            if (streamed > entry.m_nRealSize)
                std::abort();
        } catch (const CException&) {
        }
        const std::string out = OutputFolder() + "entry";
        try {
            ExtractEntry(archive, entry, out);
            CFile written(out, CFile::modeRead);
            if (written.GetLength() != entry.m_nRealSize)
                std::abort();
        } catch (const CException&) {
        }
        ::unlink(out.c_str());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    LoadArchive(data, size);
    return 0;
}
