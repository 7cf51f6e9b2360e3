#include "filetypes/filenames.h"

std::string ReplaceExtension(const std::string& path, const std::string& ext)
{
    std::string::size_type slash = path.rfind('/');
    std::string::size_type start = slash == std::string::npos ? 0 : slash + 1;
    std::string::size_type dot = path.rfind('.');
    if (dot != std::string::npos && dot >= start)
        return path.substr(0, dot) + ext;
    return path + ext;
}
