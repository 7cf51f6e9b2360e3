#include "filetypes/frmfiletype.h"

#include "archive/archivecontext.h"
#include "archive/extract.h"
#include "archive/filenames.h"
#include "filetypes/frmanimation.h"
#include "filetypes/previews.h"
#include "formats/dib.h"
#include "formats/frmset.h"
#include "formats/palcycle.h"
#include "formats/picture.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/exceptions.h"
#include "platform/uitext.h"
#include "platform/file.h"
#include "platform/uiservices.h"

#include <functional>
#include <sys/stat.h>

namespace {

std::string ReadEntryFrom(const std::string& path, const CDATInternalFile& entry)
{
    CFile file(path, CFile::modeRead);
    return ReadEntryData(file, entry);
}

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsFile(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The entries of item's folder.
template <class F>
void ForEachInFolder(const CDATArchive& archive, const CDATInternalFile& item, F f)
{
    const auto& index = archive.m_index;
    const std::size_t slots = index.m_folderFileStart.size();
    if (slots < 2)
        return;
    const std::size_t slot = item.m_pParent->IsRoot() ? slots - 2 : item.m_pParent->m_nIndex;
    if (slot + 1 >= slots)
        return;
    for (std::uint32_t i = index.m_folderFileStart[slot]; i < index.m_folderFileStart[slot + 1]; ++i)
        f(archive.m_files[index.m_folderFiles[i]]);
}

bool IsAnimation(const SFrmSet& set)
{
    int directions = 0;
    for (int d = 0; d < SFrm::kDirections; ++d)
        if (set.m_present[std::size_t(d)]) {
            if (set.m_frm.Frames(d).size() > 1)
                return true;
            ++directions;
        }
    return directions > 1;
}

} // namespace

std::string ReadPaletteFile(const std::string& path)
{
    // A palette file needs only 768 bytes; anything past a game palette's size is not one.
    constexpr std::uint64_t kMaxPaletteFile = 1u << 20;
    CFile file(path, CFile::modeRead);
    const std::uint64_t length = file.GetLength();
    if (length > kMaxPaletteFile)
        throw CArchiveException(CArchiveException::badIndex, path, "not a palette file");
    std::string bytes(std::size_t(length), '\0');
    file.ReadExact(bytes.data(), bytes.size());
    return bytes;
}

const CDATInternalFile* FindPaletteFor(const CDATArchive& archive, const CDATInternalFile& item)
{
    return archive.FindEntry(ReplaceExtension(item.m_strName, ".pal"));
}

SPreviewRequest CDAT_FRM_FileType::Source(const SArchiveContext& archive, const CDATInternalFile& item) const
{
    SPreviewRequest request = CDATImageFileType::Source(archive, item);
    if (const CDATInternalFile* palette = FindPaletteFor(*archive.m_pArchive, item)) {
        request.m_palette.emplace(*palette);
        request.m_strPaletteFile = archive.EntryFile(*palette);
    } else {
        request.m_strDefaultPalette = archive.m_strDefaultPalette;
    }
    const std::string_view base = DirectionFileBase(item.m_strName);
    if (!base.empty()) {
        ForEachInFolder(*archive.m_pArchive, item, [&](const CDATInternalFile& f) {
            if (&f != &item && EqualNames(DirectionFileBase(f.m_strName), base) &&
                DirectionOfFileName(f.m_strName) != DirectionOfFileName(item.m_strName)) {
                request.m_siblings.push_back(f);
                request.m_siblingFiles.push_back(archive.EntryFile(f));
            }
        });
    }
    return request;
}

unsigned CDAT_FRM_FileType::PreviewGeneration(const SArchiveContext& archive) const
{
    return unsigned(std::hash<std::string>{}(archive.m_strDefaultPalette));
}

CDATImageFileType::EConversion CDAT_FRM_FileType::Convert(const SPreviewRequest& request, bool,
                                                          std::string& bmp) const
{
    if (request.m_palette) {
        bmp = FrmEntryToBmp(request.m_strArchivePath, request.m_entry, *request.m_palette, request.m_strPaletteFile);
        return kConverted;
    }
    if (request.m_strDefaultPalette.empty())
        return kNoPalette;
    const std::string palette = ReadPaletteFile(request.m_strDefaultPalette);
    CFile archive(request.m_strArchivePath, CFile::modeRead);
    bmp = FrmToBmp(ReadEntryData(archive, request.m_entry), palette,
                   request.m_strArchivePath + ": " + DecodeToUtf8(request.m_entry.m_strName));
    return kConverted;
}

std::unique_ptr<CPreview> CDAT_FRM_FileType::MakePreview(const SPreviewRequest& request) const
{
    const CDATInternalFile& entry = request.m_entry;
    const std::string name = request.m_strArchivePath + ": " + DecodeToUtf8(entry.m_strName);
    // A picture coloured by the default palette changes with the setting: not cached.
    const bool cached = request.m_palette && !request.m_bChosenPalette && !request.m_strCacheFile.empty();
    std::string paletteName;
    if (request.m_palette)
        paletteName = DecodeToUtf8(request.m_palette->m_strName);
    else if (!request.m_strDefaultPalette.empty())
        paletteName = request.m_bChosenPalette
                          ? BaseName(request.m_strDefaultPalette)
                          : UiServices().Text(DRAVIK_TR_NOOP("Core", "%1 (по умолчанию)"), {BaseName(request.m_strDefaultPalette)});
    auto still = [&](const CDib& dib) {
        auto preview = std::make_unique<CPicturePreview>(dib.Bitmap());
        preview->AllowTransparency();
        preview->SetFacts(std::to_string(dib.Width()) + "×" + std::to_string(dib.Height()) +
                          UiServices().Text(DRAVIK_TR_NOOP("Core", ", палитра %1"), {paletteName}));
        return preview;
    };
    CDib dib;
    if (cached && request.m_siblings.empty() && IsFile(request.m_strCacheFile)) {
        CFile file(request.m_strCacheFile, CFile::modeRead);
        dib.Read(file);
        // A still picture is the header and one frame, give or take a few stray
        // bytes; one that uses the cycled colours is made anew to move.
        const SBitmap& bitmap = dib.Bitmap();
        // A damaged cache file shows the empty frame, as it always did.
        if (bitmap.IsEmpty() || (entry.m_nRealSize <= 62 + 12 + std::uint64_t(dib.Width()) * dib.Height() + 16 &&
                                 !(bitmap.m_bIndexed && CycleGroupsUsed(bitmap.m_bits.data(), bitmap.m_bits.size()))))
            return still(dib);
    }
    if (paletteName.empty())
        return MakeNoPalettePreview();

    CFile archive(request.m_strArchivePath, CFile::modeRead);
    const std::string palette = !request.m_palette ? ReadPaletteFile(request.m_strDefaultPalette)
                                : request.m_strPaletteFile.empty() || request.m_strPaletteFile == request.m_strArchivePath
                                    ? ReadEntryData(archive, *request.m_palette)
                                    : ReadEntryFrom(request.m_strPaletteFile, *request.m_palette);
    const std::string bytes = ReadEntryData(archive, entry);
    SFrmSet set;
    const int direction = DirectionOfFileName(entry.m_strName);
    if (direction < 0) {
        set.m_frm = ParseFrm(bytes, name);
        set.m_present.fill(set.m_frm.DirectionCount() > 1);
        set.m_present[0] = true;
    } else {
        std::array<std::optional<SFrm>, SFrm::kDirections> files;
        files[std::size_t(direction)] = ParseFrm(bytes, name);
        for (std::size_t i = 0; i < request.m_siblings.size(); ++i) {
            const CDATInternalFile& sibling = request.m_siblings[i];
            const bool elsewhere = i < request.m_siblingFiles.size() && request.m_siblingFiles[i] != request.m_strArchivePath;
            // A damaged sibling only leaves its direction out.
            try {
                files[std::size_t(DirectionOfFileName(sibling.m_strName))] =
                    ParseFrm(elsewhere ? ReadEntryFrom(request.m_siblingFiles[i], sibling) : ReadEntryData(archive, sibling),
                             DecodeToUtf8(sibling.m_strName));
            } catch (const CArchiveException&) {
            }
        }
        set = MergeDirectionFiles(files);
    }
    const Palette768 colors = ReadPalette(palette);
    const bool affordable = CFrmAnimationPreview::ComposedBytes(set.m_frm) <= CFrmAnimationPreview::kMaxBytes;
    const SFrmFrame& first = set.m_frm.Frames(0)[0];
    if (affordable &&
        (IsAnimation(set) || (PaletteCycles(colors) && CycleGroupsUsed(first.m_pixels.data(), first.m_pixels.size()))))
        return std::make_unique<CFrmAnimationPreview>(set, colors, paletteName);

    const std::string bmp = FrmToBmp(bytes, palette, name);
    if (cached)
        WriteFileAtomically(request.m_strCacheFile, bmp.data(), bmp.size());
    dib.ReadFromMemory(bmp);
    return still(dib);
}

std::string FrmEntryToBmp(const std::string& archivePath, const CDATInternalFile& item,
                          const CDATInternalFile& palette, const std::string& paletteFile)
{
    CFile archive(archivePath, CFile::modeRead);
    const std::string frm = ReadEntryData(archive, item);
    const std::string pal = paletteFile.empty() || paletteFile == archivePath
                                ? ReadEntryData(archive, palette)
                                : ReadEntryFrom(paletteFile, palette);
    return FrmToBmp(frm, pal, archivePath + ": " + DecodeToUtf8(item.m_strName));
}
