#include "shell/folderchooser.h"

bool CFolderChooser::Browse()
{
    return false;
}
