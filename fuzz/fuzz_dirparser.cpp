// The archive's directory over hostile bytes: the input is parsed as a bare
// directory, then opened as a whole archive file (from memory), listed, and
// the first entries of a loaded archive are read back and unpacked to files.
#include "archive/datfiledoc.h"
#include "archive/dirparser.h"
#include "archive/extract.h"
#include "platform/exceptions.h"
#include "platform/file.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

void ParseDirectory(const std::uint8_t* data, std::size_t size)
{
    try {
        CDirectoryParser parser(data, size, "fuzz");
        SRawEntry entry;
        while (parser.Next(entry)) {
            const auto* name = reinterpret_cast<const std::uint8_t*>(entry.m_name.data());
            if (entry.m_name.size() > kMaxNameLength || name < data || name + entry.m_name.size() > data + size)
                std::abort();
        }
    } catch (const CArchiveException&) {
    }
}

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

// Extracted files go to a folder of their own in memory-backed /dev/shm when there is one.
const std::string& OutputFolder()
{
    static const std::string folder = [] {
        char templ[] = "/dev/shm/dravik-fuzz-XXXXXX";
        char fallback[] = "/tmp/dravik-fuzz-XXXXXX";
        const char* made = ::mkdtemp(templ);
        if (!made)
            made = ::mkdtemp(fallback);
        if (!made)
            std::abort();
        return std::string(made) + "/";
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
    for (const auto& [extension, type] : doc.m_types)
        doc.ListFileType(type.get(), nullptr);

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
    ParseDirectory(data, size);
    LoadArchive(data, size);
    return 0;
}
