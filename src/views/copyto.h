#pragma once
// Copy of the selected files of the listing into a folder the user chooses.
#include <string>
#include <vector>

class CDATFileDoc;
class CWnd;

struct SCopyResult
{
    int m_nWritten = 0;
    std::vector<std::string> m_damaged; // raw entry names
    bool m_bStopped = false;            // the user answered Yes to "Прекратить?"
};

// rows: the selected rows of the listing, ascending. Asks for the folder,
// shows progress, asks before each replacement; a destination error ends the
// run with an exception, damaged entries are reported at the end.
SCopyResult CopySelectedFiles(CDATFileDoc& doc, const std::vector<int>& rows, CWnd* owner);
