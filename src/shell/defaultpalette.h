#pragma once
// The palette pictures fall back on when their archive has none: a palette
// file on disk, kept in the profile ("Settings"/"DefaultPalette"). The
// color.pal of every archive opened is kept too, so that the settings can
// offer it once a mod archive without one is open.
#include <QStringList>
#include <string>

class CDATFileDoc;

std::string LoadDefaultPalettePath();
void StoreDefaultPalettePath(const std::string& path);

// Copies the open archive's color.pal into the per-user data folder (once).
void RememberArchivePalette(const CDATFileDoc& doc);
// The palettes remembered so far, newest first.
QStringList RememberedPalettes();
