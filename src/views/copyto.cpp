#include "views/copyto.h"

SCopyResult CopySelectedFiles(CDATFileDoc&, const std::vector<int>&, CWnd*)
{
    return {};
}
