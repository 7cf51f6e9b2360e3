#include "archive/dat1parser.h"

#include "archive/dirparser.h"
#include "formats/bytereader.h"
#include "platform/exceptions.h"
#include "platform/file.h"

#include <algorithm>

namespace {

// The smallest folder (a one-byte name and its header) and entry (a one-byte
// name and four words): counts beyond what the file could hold are refused
// before anything is reserved for them.
constexpr std::uint64_t kMinFolderBytes = 1 + 1 + 16;
constexpr std::uint64_t kMinEntryBytes = 1 + 1 + 16;
// The paths the loader builds from one directory, all together.
constexpr std::uint64_t kMaxPathBytes = 256u << 20;

struct SShort
{
};

class CDat1Parser
{
public:
    CDat1Parser(SDat1Directory& out, std::uint64_t fileLength, const std::string& fileName)
        : m_out(out), m_reader(out.m_bytes), m_nFileLength(fileLength), m_strFileName(fileName)
    {
    }
    void Parse();

private:
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw CArchiveException(CArchiveException::badIndex, m_strFileName, what);
    }
    // Bytes the buffer lacks: more of the file is needed, or the file ends inside the directory.
    [[noreturn]] void Short(const std::string& where) const
    {
        if (m_out.m_bytes.size() < m_nFileLength)
            throw SShort{};
        Fail("the directory ends inside " + where);
    }
    std::uint32_t Word(const std::string& where)
    {
        std::uint32_t v;
        if (!m_reader.BE32(v))
            Short(where);
        return v;
    }
    // A length byte and that many name bytes; the name's offset in the buffer.
    std::uint32_t Name(const std::string& where, std::uint8_t& length)
    {
        const std::string_view len = m_reader.Bytes(1);
        if (len.empty())
            Short(where);
        length = std::uint8_t(len[0]);
        if (length == 0)
            Fail(where + " has an empty name");
        const auto at = std::uint32_t(m_reader.Position());
        if (m_reader.Bytes(length).size() != length)
            Short(where);
        return at;
    }
    std::uint64_t Left() const { return m_nFileLength - m_reader.Position(); }

    SDat1Directory& m_out;
    CByteReader m_reader;
    std::uint64_t m_nFileLength;
    const std::string& m_strFileName;
};

std::uint32_t Backslashes(std::string_view s)
{
    return std::uint32_t(std::count(s.begin(), s.end(), '\\'));
}

void CDat1Parser::Parse()
{
    const std::uint32_t folders = Word("the header");
    Word("the header"); // capacity: the engine's allocation size, ignored
    const std::uint32_t valueSize = Word("the header");
    Word("the header");
    if (folders == 0)
        Fail("the directory has no folders");
    if (valueSize != 0)
        Fail("folder value size " + std::to_string(valueSize) + " is not 0");
    if (folders > Left() / kMinFolderBytes)
        Fail("folder count " + std::to_string(folders) + " is more than a file of " + std::to_string(m_nFileLength) +
             " bytes can hold");
    m_out.m_folderNameAt.resize(folders);
    m_out.m_folderNameLength.resize(folders);
    for (std::uint32_t i = 0; i < folders; ++i)
        m_out.m_folderNameAt[i] = Name("folder name " + std::to_string(i), m_out.m_folderNameLength[i]);

    std::uint64_t pathBytes = 0;
    for (std::uint32_t f = 0; f < folders; ++f) {
        const std::string folder = "folder " + std::to_string(f);
        const std::uint32_t files = Word(folder + "'s header");
        Word(folder + "'s header");
        const std::uint32_t fileValueSize = Word(folder + "'s header");
        Word(folder + "'s header");
        if (fileValueSize != 16)
            Fail(folder + ": value size " + std::to_string(fileValueSize) + " is not 16");
        if (files > Left() / kMinEntryBytes)
            Fail(folder + ": file count " + std::to_string(files) + " is more than the rest of the file can hold");
        const std::string_view folderName = m_out.FolderName(f);
        const std::uint32_t folderSlashes = folderName == "." ? 0 : Backslashes(folderName) + 1;
        for (std::uint32_t i = 0; i < files; ++i) {
            const std::string where = folder + ", entry " + std::to_string(i);
            SDat1Entry e{};
            e.m_nFolder = f;
            e.m_nNameAt = Name(where, e.m_nNameLength);
            const std::uint32_t attributes = Word(where);
            e.m_nOffset = Word(where);
            e.m_nRealSize = Word(where);
            e.m_nPackedSize = Word(where);
            e.m_nAttributes = attributes & 0xF0;
            if (e.m_nAttributes == 0)
                e.m_nAttributes = kDat1Stream;
            if (e.m_nAttributes != kDat1Stored && e.m_nAttributes != kDat1Blocks && e.m_nAttributes != kDat1Stream)
                Fail(where + ": unknown attributes " + std::to_string(attributes));
            const std::uint32_t size = e.m_nAttributes == kDat1Stored ? e.m_nRealSize : e.m_nPackedSize;
            if (std::uint64_t(e.m_nOffset) + size > m_nFileLength)
                Fail(where + ": its " + std::to_string(size) + " bytes at offset " + std::to_string(e.m_nOffset) +
                     " lie outside the file");
            if (folderSlashes + Backslashes(m_out.EntryName(e)) > kMaxBackslashes)
                Fail(where + ": the path holds more than " + std::to_string(kMaxBackslashes) + " backslashes");
            pathBytes += m_out.PathLength(e);
            if (pathBytes > kMaxPathBytes)
                Fail("the paths of the entries come to more than " + std::to_string(kMaxPathBytes) + " bytes");
            m_out.m_entries.push_back(e);
        }
    }
}

} // namespace

std::size_t SDat1Directory::PathLength(const SDat1Entry& e) const
{
    const std::string_view folder = FolderName(e.m_nFolder);
    return (folder == "." ? 0 : folder.size() + 1) + e.m_nNameLength;
}

void SDat1Directory::AppendPath(const SDat1Entry& e, std::string& out) const
{
    const std::string_view folder = FolderName(e.m_nFolder);
    if (folder != ".") {
        out += folder;
        out += '\\';
    }
    out += EntryName(e);
}

bool ParseDat1Directory(SDat1Directory& out, std::uint64_t fileLength, const std::string& fileName)
{
    out.m_folderNameAt.clear();
    out.m_folderNameLength.clear();
    out.m_entries.clear();
    try {
        CDat1Parser(out, fileLength, fileName).Parse();
    } catch (const SShort&) {
        return false;
    }
    return true;
}

SDat1Directory ReadDat1Directory(CFile& file)
{
    const std::uint64_t length = file.GetLength();
    SDat1Directory dir;
    // Most directories fit the first read; a larger one is read again, four
    // times as much each time, never more than the file holds.
    constexpr std::uint64_t kMaxDirectory = 1u << 30;
    std::uint64_t want = std::min<std::uint64_t>(length, 64 << 10);
    for (;;) {
        dir.m_bytes.resize(std::size_t(want));
        if (file.ReadAt(0, dir.m_bytes.data(), dir.m_bytes.size()) != dir.m_bytes.size())
            throw CFileException(CFileException::endOfFile, -1, file.GetFilePath(), "the directory could not be read");
        if (ParseDat1Directory(dir, length, file.GetFilePath()))
            return dir;
        if (want >= kMaxDirectory)
            throw CArchiveException(CArchiveException::badIndex, file.GetFilePath(),
                                    "the directory is larger than " + std::to_string(kMaxDirectory) + " bytes");
        want = std::min<std::uint64_t>({length, want * 4, kMaxDirectory});
    }
}
