#pragma once
// What the user chose last time, kept in the profile: the window's size and
// place, the splitters, the list style, the thumbnails, Автопоказ and the view mode.
class CMainFrame;
class CDATFileDoc;

void RestoreSavedChoices(CMainFrame& frame, CDATFileDoc& doc);
void SaveChoices(const CMainFrame& frame, const CDATFileDoc& doc);
