#include "filetypes/txtfiletype.h"

#include "archive/archivecontext.h"
#include "archive/extract.h"
#include "filetypes/cachepath.h"
#include "archive/filenames.h"
#include "filetypes/imagefiletype.h"
#include "filetypes/openedfiles.h"
#include "filetypes/otherfiletype.h"
#include "filetypes/previews.h"
#include "filetypes/textencoding.h"
#include "platform/atomicfile.h"
#include "platform/cdc.h"
#include "platform/cwnd.h"
#include "platform/file.h"
#include "platform/uiservices.h"

#include <cstdlib>
#include <sys/stat.h>

namespace {

std::string ReadFileBytes(const std::string& path)
{
    CFile file(path, CFile::modeRead);
    std::string bytes(std::size_t(file.GetLength()), '\0');
    bytes.resize(file.Read(bytes.data(), bytes.size()));
    return bytes;
}

std::string DecodeEntryText(std::string_view bytes, const std::vector<std::string>& folders, ETextEncoding encoding)
{
    if (encoding == ETextEncoding::Automatic)
        encoding = DetectTextEncoding(bytes, folders);
    return DecodeText(bytes, encoding);
}

std::string PlainLineEnds(const std::string& decoded)
{
    std::string text;
    text.reserve(decoded.size() + 2);
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        if (decoded[i] == '\r') {
            text += '\n';
            if (i + 1 < decoded.size() && decoded[i + 1] == '\n')
                ++i;
        } else {
            text += decoded[i];
        }
    }
    return text;
}

} // namespace

std::string PrepareEntryText(std::string_view bytes, const std::vector<std::string>& folders,
                             ETextEncoding encoding)
{
    const std::size_t zero = bytes.find('\0');
    if (zero != std::string_view::npos)
        bytes = bytes.substr(0, zero);
    return PlainLineEnds(DecodeEntryText(bytes, folders, encoding)) + "\n\n";
}

SPreviewRequest CDAT_TXT_FileType::PreparePreview(const SArchiveContext& archive, CDATInternalFile& item) const
{
    SPreviewRequest request = CDATFileType::PreparePreview(archive, item);
    // The raw copy is written again the first time an entry shows after the
    // archive was opened (its cache path is empty then).
    const bool fresh = item.m_strCachePath.empty();
    if (fresh)
        item.m_strCachePath = CacheFileFor(archive, item, std::string());
    request.m_strCacheFile = item.m_strCachePath;
    request.m_bRefreshCache = fresh;
    request.m_nOption = int(CurrentTextEncoding(archive.ArchivePath()));
    return request;
}

std::unique_ptr<CPreview> CDAT_TXT_FileType::MakePreview(const SPreviewRequest& request) const
{
    if (request.m_entry.m_nRealSize > kMaxTextPreview)
        return MakeHexPreview(request);
    struct stat st;
    if (request.m_bRefreshCache || ::stat(request.m_strCacheFile.c_str(), &st) != 0) {
        CFile archive(request.m_strArchivePath, CFile::modeRead);
        ThrowIfDamaged(
            Extract(archive, request.m_entry, request.m_strCacheFile, {.m_whole = EWholeEntry::kInMemory}).m_nStatus,
            request.m_entry, request.m_strArchivePath);
    }
    return std::make_unique<CTextPreview>(PrepareEntryText(ReadFileBytes(request.m_strCacheFile), request.m_folders,
                                                           ETextEncoding(request.m_nOption)));
}

std::unique_ptr<CPreview> CDAT_TXT_FileType::FailedPreview() const
{
    return std::make_unique<CTextPreview>(std::string());
}

unsigned CDAT_TXT_FileType::PreviewGeneration(const SArchiveContext&) const
{
    return TextEncodingGeneration();
}

void CDAT_TXT_FileType::Open(const SArchiveContext& context, CDATInternalFile* item, CWnd* wnd)
{
    CFile archive(context.EntryFile(*item), CFile::modeRead);
    const std::string bytes = ReadEntryData(archive, *item);
    // The whole entry, zero bytes and all, as UTF-8, which the desktop's editors expect.
    const SPreviewRequest source = CDATFileType::PreparePreview(context, *item);
    const std::string text =
        PlainLineEnds(DecodeEntryText(bytes, source.m_folders, CurrentTextEncoding(context.ArchivePath())));
    const std::string path = OpenedFiles().PathFor(context.ArchivePath(), *item, ".txt");
    WriteFileAtomically(path, text.data(), text.size());
    std::string error;
    if (!context.Ui().OpenWithDefaultProgram(wnd, path, &error))
        ReportOpenFailure(context.Ui(), wnd, error);
}
