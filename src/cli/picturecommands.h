#pragma once
// `dravik-cli convert` and `dravik-cli info ARCHIVE ENTRY`: pictures to BMP,
// PNG, animated PNG and sprite sheets, one entry or many at once.
#include <string>
#include <vector>

struct SPictureArgs
{
    std::string m_strCommand; // "convert" or "info"
    std::vector<std::string> m_operands;
    std::string m_strOutDir; // batch conversion when set
    std::string m_strTo = "png";
    std::string m_strPalette;
    int m_nFrame = 0;
    int m_nDirection = -1; // -1: the picture's first
    int m_nTransparent = -1; // -1: FRM transparent, RIX opaque
    bool m_bAnimation = false;
    bool m_bSheet = false;
    bool m_bJson = false;
};

// args: the whole command line after the program name. False with problem
// set for bad usage.
bool ParsePictureArgs(const std::vector<std::string>& args, SPictureArgs& out, std::string& problem);
int RunPictureCommand(const SPictureArgs& args);
