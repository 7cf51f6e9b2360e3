#pragma once
// "Экспорт в PNG...": the selected pictures, and every picture in the selected
// folders, written as PNG files below a chosen folder with their folders, as
// extract with folders does.
#include "views/extractdirs.h"

// Asks for the folder (folder is left empty when the user cancels), then
// converts. FRM pictures keep index 0 transparent, RIX pictures are opaque;
// the palettes are those the viewer uses. Entries that are damaged or cannot
// be converted (no palette) are listed in the result's m_damaged.
SExtractDirsResult ExportRowsToPng(CDATFileDoc& doc, const std::vector<int>& rows, CWnd* owner,
                                   std::string* folder);
