#include "cli/commands.h"

#include "archive/datfiledoc.h"
#include "archive/datfiletype.h"
#include "archive/dirparser.h"
#include "archive/entrypaths.h"
#include "archive/extract.h"
#include "archive/filenames.h"
#include "archive/namecompare.h"
#include "cli/glob.h"
#include "filetypes/frmfiletype.h"
#include "filetypes/imageconvert.h"
#include "filetypes/mvefiletype.h"
#include "filetypes/rixfiletype.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "platform/file.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unordered_map>

namespace {

// Collects output and hands it to stdio in large pieces: a listing of a big
// archive is written in a handful of fwrite calls, never flushed per line.
class COutputBuffer
{
public:
    COutputBuffer() : m_pBuffer(new char[kChunk + kSlack]), m_nCapacity(kChunk + kSlack) {}
    // Room for n more bytes: write them at the pointer returned, then Commit
    // the end. Lines are copied straight in, with no string of their own.
    char* Room(std::size_t n)
    {
        if (m_nUsed + n > m_nCapacity) {
            Write();
            if (n > m_nCapacity) {
                m_pBuffer.reset(new char[n]);
                m_nCapacity = n;
            }
        }
        return m_pBuffer.get() + m_nUsed;
    }
    void Commit(const char* end) { m_nUsed = std::size_t(end - m_pBuffer.get()); }
    void Append(std::string_view text)
    {
        char* p = Room(text.size());
        std::memcpy(p, text.data(), text.size());
        Commit(p + text.size());
    }
    void MaybeWrite()
    {
        if (m_nUsed >= kChunk)
            Write();
    }
    // False when stdout refused the bytes (a full disk, a closed pipe).
    bool Finish()
    {
        Write();
        return !m_bFailed && std::fflush(stdout) == 0 && !std::ferror(stdout);
    }

private:
    static constexpr std::size_t kChunk = 1 << 20;
    static constexpr std::size_t kSlack = 64 << 10;
    void Write()
    {
        if (m_nUsed != 0 && std::fwrite(m_pBuffer.get(), 1, m_nUsed, stdout) != m_nUsed)
            m_bFailed = true;
        m_nUsed = 0;
    }
    std::unique_ptr<char[]> m_pBuffer;
    std::size_t m_nCapacity;
    std::size_t m_nUsed = 0;
    bool m_bFailed = false;
};

void AppendNumber(std::string& out, std::uint64_t value)
{
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, end);
}

char* Put(char* p, std::string_view text)
{
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

int ReportOutputFailure()
{
    ReportError(std::string("standard output: ") + std::strerror(errno ? errno : EIO));
    return kExitFailure;
}

// Type texts of the model, decoded once per type.
class CTypeTexts
{
public:
    const std::string& Of(const CDATInternalFile& file)
    {
        // Entries of one type usually stand together.
        if (m_pLastType == file.m_pType && m_pLastTypeText)
            return *m_pLastTypeText;
        auto it = m_types.find(file.m_pType);
        if (it == m_types.end())
            it = m_types.emplace(file.m_pType, file.m_pType ? DecodeToUtf8(file.m_pType->m_strDescription) : "")
                     .first;
        m_pLastType = file.m_pType;
        m_pLastTypeText = &it->second;
        return it->second;
    }

private:
    std::unordered_map<const CDATFileType*, std::string> m_types;
    const CDATFileType* m_pLastType = nullptr;
    const std::string* m_pLastTypeText = nullptr;
};

} // namespace

bool LoadArchiveOrReport(CDATFileDoc& doc, CStoredNames& names, const std::string& path)
{
    try {
        LoadWithStoredNames(doc, names, path);
        return true;
    } catch (const std::exception& e) {
        std::string text = DescribeException(e);
        if (text.compare(0, path.size(), path) != 0 || path.empty())
            text = path + ": " + text;
        ReportError(text);
        return false;
    }
}

void ReportError(std::string_view text)
{
    std::string line = "dravik-cli: ";
    line += text;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
}

void AppendJsonString(std::string& out, std::string_view text)
{
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += ch;
        }
    }
    out += '"';
}

namespace {

// One line (or JSON object) per listed entry.
class CListWriter
{
public:
    CListWriter(bool json) : m_bJson(json)
    {
        if (json)
            m_output.Append("[");
    }
    void Add(std::string_view path, std::uint32_t size, std::uint32_t packed, std::uint32_t offset,
             std::string_view type)
    {
        if (m_bJson) {
            m_piece.assign(m_nListed++ == 0 ? "\n  {\"path\": " : ",\n  {\"path\": ");
            AppendJsonString(m_piece, path);
            m_piece += ", \"size\": ";
            AppendNumber(m_piece, size);
            m_piece += ", \"packed\": ";
            AppendNumber(m_piece, packed);
            m_piece += ", \"offset\": ";
            AppendNumber(m_piece, offset);
            m_piece += ", \"type\": ";
            AppendJsonString(m_piece, type);
            m_piece += '}';
            m_output.Append(m_piece);
        } else {
            // path TAB size TAB packed TAB offset TAB type, written in place.
            char* p = m_output.Room(path.size() + 4 * 11 + type.size() + 1);
            p = Put(p, path);
            for (std::uint32_t v : {size, packed, offset}) {
                *p++ = '\t';
                p = std::to_chars(p, p + 10, v).ptr;
            }
            *p++ = '\t';
            p = Put(p, type);
            *p++ = '\n';
            m_output.Commit(p);
        }
        m_output.MaybeWrite();
    }
    bool Finish()
    {
        if (m_bJson)
            m_output.Append(m_nListed == 0 ? "]\n" : "\n]\n");
        return m_output.Finish();
    }

private:
    bool m_bJson;
    COutputBuffer m_output;
    std::string m_piece;
    std::size_t m_nListed = 0;
};

// The second game's archive listed straight from its directory: no entries,
// folders or indexes are built. False, with nothing written, for a file whose
// directory does not read whole; the document's loader then decides what it
// is (the first game's archive, or what is wrong).
bool ListDirectoryAsStored(const std::string& archivePath, bool json, CGlobSet& globs, bool& written)
{
    SDirectoryBytes dir;
    try {
        CFile file(archivePath, CFile::modeRead);
        dir = ReadDirectoryBytes(file);
        CDirectoryParser check(dir.m_pData.get(), dir.m_nSize, archivePath);
        for (SRawEntry raw; check.Next(raw);) {
        }
    } catch (const std::exception&) {
        return false;
    }
    CDirectoryParser parser(dir.m_pData.get(), dir.m_nSize, archivePath);
    // Types by extension, letter case aside, each named as its first entry spells it.
    std::map<std::string_view, std::string, NameLess> types;
    std::string_view lastExtension;
    const std::string* lastType = nullptr;
    CListWriter writer(json);
    std::string decoded;
    for (SRawEntry raw; parser.Next(raw);) {
        const std::string_view path = StoredPathText(raw.m_name, decoded);
        if (!globs.Admits(path))
            continue;
        const std::string_view extension = EntryExtension(raw.m_name);
        if (!lastType || extension != lastExtension) {
            auto it = types.find(extension);
            if (it == types.end())
                it = types.emplace(extension, DecodeToUtf8(CreateFileType(extension)->m_strDescription)).first;
            lastType = &it->second;
            lastExtension = extension;
        }
        writer.Add(path, raw.m_nRealSize, raw.m_nPackedSize, raw.m_nOffset, *lastType);
    }
    written = writer.Finish();
    return true;
}

} // namespace

int ListArchive(const std::string& archivePath, bool json, const std::vector<std::string>& patterns)
{
    CGlobSet globs(patterns);
    bool written = false;
    if (!ListDirectoryAsStored(archivePath, json, globs, written)) {
        CDATFileDoc doc(false);
        CStoredNames names;
        if (!LoadArchiveOrReport(doc, names, archivePath))
            return kExitFailure;
        CTypeTexts types;
        CListWriter writer(json);
        std::string decoded;
        for (std::size_t i = 0; i < doc.m_files.size(); ++i) {
            const CDATInternalFile& f = doc.m_files[i];
            const std::string_view path = StoredPathText(names[i], decoded);
            if (globs.Admits(path))
                writer.Add(path, f.m_nRealSize, f.m_nPackedSize, f.m_nOffset, types.Of(f));
        }
        written = writer.Finish();
    }
    if (!written)
        return ReportOutputFailure();
    globs.WarnUnmatched("entry");
    return kExitOk;
}

int ShowArchiveInfo(const std::string& archivePath)
{
    CDATFileDoc doc(false);
    CStoredNames names;
    if (!LoadArchiveOrReport(doc, names, archivePath))
        return kExitFailure;
    std::string out;
    out += "entries: ";
    AppendNumber(out, doc.m_files.size());
    out += "\nfolders: ";
    AppendNumber(out, doc.m_folders.size());
    out += "\ntypes: ";
    AppendNumber(out, doc.m_types.size());
    out += "\ndata size: ";
    AppendNumber(out, doc.m_dwDataSize);
    out += "\npalette: ";
    out += doc.m_pPaletteEntry ? DecodeToUtf8(names[std::size_t(doc.m_pPaletteEntry - doc.m_files.data())])
                               : std::string("none");
    out += doc.m_nDatVersion == 1 ? "\nformat: DAT1\n" : "\nformat: DAT2\n";
    COutputBuffer output;
    output.Append(out);
    return output.Finish() ? kExitOk : ReportOutputFailure();
}

int ConvertArchiveEntry(const std::string& archivePath, const std::string& entryPath, const std::string& outPath)
{
    CDATFileDoc doc(false);
    CStoredNames names;
    if (!LoadArchiveOrReport(doc, names, archivePath))
        return kExitFailure;
    const CDATInternalFile* entry = FindStoredEntry(doc, names, entryPath);
    const std::string quoted = "'" + entryPath + "'";
    struct stat archiveStat, outStat;
    if (::stat(archivePath.c_str(), &archiveStat) == 0 && ::stat(outPath.c_str(), &outStat) == 0 &&
        archiveStat.st_dev == outStat.st_dev && archiveStat.st_ino == outStat.st_ino) {
        ReportError(outPath + " is the archive being read; it is not replaced");
        return kExitFailure;
    }
    if (!entry) {
        ReportError(archivePath + ": no entry " + quoted);
        return kExitFailure;
    }
    try {
        std::string bmp;
        if (dynamic_cast<const CDAT_FRM_FileType*>(entry->m_pType)) {
            const CDATInternalFile* palette = FindPaletteFor(doc, *entry);
            if (!palette) {
                ReportError(archivePath + ": entry " + quoted + " has no palette (neither " +
                            DecodeToUtf8(ReplaceExtension(entry->m_strName, ".pal")) +
                            " nor color.pal is in the archive)");
                return kExitFailure;
            }
            bmp = FrmEntryToBmp(archivePath, *entry, *palette);
        } else if (dynamic_cast<const CDAT_RIX_FileType*>(entry->m_pType)) {
            bmp = RixEntryToBmp(archivePath, *entry);
        } else if (dynamic_cast<const CDAT_ACM_FileType*>(entry->m_pType)) {
            CFile archive(archivePath, CFile::modeRead);
            bmp = AcmEntryToWav(ReadEntryData(archive, *entry), std::string(names[std::size_t(entry - doc.m_files.data())]));
        } else {
            ReportError(archivePath + ": entry " + quoted + " is not an FRM or RIX picture or an ACM sound");
            return kExitFailure;
        }
        WriteFileAtomically(outPath, bmp.data(), bmp.size());
    } catch (const std::exception& e) {
        ReportError("entry " + quoted + ": " + DescribeException(e));
        return kExitFailure;
    }
    return kExitOk;
}
