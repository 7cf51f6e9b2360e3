// Facts of the sounds and movies in an archive, for scripts.
#include "cli/commands.h"

#include "archive/datfiledoc.h"
#include "archive/dirparser.h"
#include "archive/entrypaths.h"
#include "archive/extract.h"
#include "filetypes/mvefiletype.h"
#include "media.h"
#include "platform/exceptions.h"
#include "platform/file.h"

#include <cstdio>

namespace {

std::string Field(const char* name, std::int64_t value)
{
    return std::string("\"") + name + "\":" + std::to_string(value);
}

std::string SoundJson(const SSoundFacts& f)
{
    return "{\"kind\":\"sound\"," + Field("rate", f.m_nRate) + "," + Field("channels", f.m_nChannels) + "," +
           Field("samples", std::int64_t(f.m_nSamples)) + "," + Field("duration_ms", f.DurationMs()) + "}";
}

std::string MovieJson(const SMovieFacts& f)
{
    std::string out = "{\"kind\":\"movie\"," + Field("width", f.m_nWidth) + "," + Field("height", f.m_nHeight) + "," +
                      Field("frames", std::int64_t(f.m_nFrames)) + "," + Field("duration_ms", f.m_nDurationMs) + ",";
    if (f.m_nAudioRate > 0) {
        out += "\"audio\":{" + Field("rate", f.m_nAudioRate) + "," + Field("channels", f.m_nAudioChannels) +
               ",\"codec\":";
        AppendJsonString(out, f.m_strAudioCodec);
        out += "}}";
    } else {
        out += "\"audio\":null}";
    }
    return out;
}

} // namespace

int ShowEntryInfo(const std::string& archivePath, const std::string& entryPath)
{
    CDATFileDoc doc(false);
    CStoredNames names;
    if (!LoadArchiveOrReport(doc, names, archivePath))
        return kExitFailure;
    const CDATInternalFile* entry = FindStoredEntry(doc, names, entryPath);
    const std::string quoted = "'" + entryPath + "'";
    if (!entry) {
        ReportError(archivePath + ": no entry " + quoted);
        return kExitFailure;
    }
    const bool sound = dynamic_cast<const CDAT_ACM_FileType*>(entry->m_pType) != nullptr;
    if (!sound && !dynamic_cast<const CDAT_MVE_FileType*>(entry->m_pType)) {
        ReportError(archivePath + ": entry " + quoted + " is not an ACM sound or an MVE movie");
        return kExitFailure;
    }
    std::string json;
    try {
        CFile archive(archivePath, CFile::modeRead);
        const std::string bytes = ReadEntryData(archive, *entry);
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        if (sound) {
            const SSoundFacts header = AcmFacts(data, bytes.size(), 0);
            const std::string_view stored = names[std::size_t(entry - doc.m_files.data())];
            json = SoundJson(AcmFacts(data, bytes.size(), AcmChannels(stored, header.m_nChannels, header.m_nRate)));
        } else {
            json = MovieJson(ReadMovieFacts(data, bytes.size(), false));
        }
    } catch (const CMediaError& e) {
        ReportError("entry " + quoted + " is damaged: " + e.what());
        return kExitFailure;
    } catch (const std::exception& e) {
        ReportError("entry " + quoted + ": " + DescribeException(e));
        return kExitFailure;
    }
    json += '\n';
    return std::fputs(json.c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? kExitOk : kExitFailure;
}
