#pragma once
// Entries handed to other programs as files, by a drag or the clipboard:
// extracted with their folders into the archive's cache first.
#include <string>
#include <vector>

class CDATFileDoc;
class CDATItem;
class CWnd;
class QMimeData;
struct SArchiveContext;
struct SExtractDirsResult;

// Where they are extracted: beside the archive's own cache folder, so that
// the pictures converted there are never handed out with a folder.
std::string HandOutFolder(const SArchiveContext& context);

// File URLs of the items on disk: folders with what they hold, files only
// when complete (damaged entries are left out). Null when nothing came out or
// the user stopped it. result, when given, receives what the run did.
QMimeData* EntriesAsFiles(CDATFileDoc& doc, const std::vector<const CDATItem*>& items, CWnd* owner,
                          SExtractDirsResult* result = nullptr);
