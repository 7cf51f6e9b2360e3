#include "filetypes/filenames.h"

#include "platform/codepage.h"

std::string ReplaceExtension(const std::string& path, const std::string& ext)
{
    std::string::size_type slash = path.rfind('/');
    std::string::size_type start = slash == std::string::npos ? 0 : slash + 1;
    std::string::size_type dot = path.rfind('.');
    if (dot != std::string::npos && dot >= start)
        return path.substr(0, dot) + ext;
    return path + ext;
}

std::string EntryNameForDisk(const std::string& rawName)
{
    std::string safe = rawName;
    for (char& c : safe) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '/')
            c = '_';
    }
    if (safe.empty() || safe == "." || safe == "..")
        return "_";
    return DecodeToUtf8(safe);
}
