#pragma once
// The application's title, the caption of its message boxes.
extern const char* const g_szAppTitle; // "Ashmoor 2 DAT file browser"
