#include "views/exportpng.h"

#include "archive/datfiledoc.h"
#include "archive/filenames.h"
#include "filetypes/imagefiletype.h"
#include "formats/frmset.h"
#include "platform/atomicfile.h"
#include "platform/exceptions.h"

#include <QCoreApplication>

#include <stdexcept>

namespace {

const CDATImageFileType* PictureType(const CDATInternalFile& file)
{
    return dynamic_cast<const CDATImageFileType*>(file.m_pType);
}

} // namespace

SExtractDirsResult ExportRowsToPng(CDATFileDoc& doc, const std::vector<int>& rows, CWnd* owner,
                                   std::string* folder)
{
    const SArchiveContext context = doc.Context();
    SExtractDirsOptions options;
    options.m_strBrowseTitle =
        QCoreApplication::translate("CDATFileList", "Экспорт выбранных картинок в PNG").toStdString();
    options.m_strProgressTitle = QCoreApplication::translate("CDATFileList", "Экспорт...").toStdString();
    options.m_take = [](const CDATInternalFile& file) { return PictureType(file) != nullptr; };
    // A direction file keeps its extension, so that a.fr0 and a.frm do not meet.
    options.m_rename = [](const CDATInternalFile& file, const std::string& path) {
        return DirectionOfFileName(file.m_strName) >= 0 ? path + ".png" : ReplaceExtension(path, ".png");
    };
    options.m_write = [&context](CFile&, const CDATInternalFile& file, const std::string& path) {
        const CDATImageFileType* type = PictureType(file);
        std::string png;
        try {
            if (type->ConvertToPng(context, file, type->TransparentByDefault(), png) != CDATImageFileType::kConverted)
                return false;
        } catch (const CFileException& e) {
            // Only the archive's side is the entry's fault; the destination ends the run.
            if (e.m_side != CFileException::archiveSide)
                throw;
            return false;
        } catch (const CException&) {
            return false;
        } catch (const std::runtime_error&) {
            return false;
        }
        WriteFileAtomically(path, png.data(), png.size());
        return true;
    };
    return ExtractRowsWithFolders(doc, rows, owner, folder, options);
}
