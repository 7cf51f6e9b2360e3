#pragma once
// The FFmpeg-backed half of media.h and apng.h as a module loaded at need:
// most commands of the command line touch no sound or movie, and loading
// FFmpeg's hundred-odd libraries dwarfs their whole run.
#include "media.h"

#include "formats/png.h"

#include <string>
#include <vector>

// Errors come back as text: nothing is thrown across the module's edge.
struct SMediaModule
{
    int m_nVersion;
    bool (*m_decodeAcm)(const std::uint8_t* data, std::size_t size, int channels, SSound& out, std::string& error);
    bool (*m_readMovieFacts)(const std::uint8_t* data, std::size_t size, bool withPoster, SMovieFacts& out,
                             std::string& error);
    bool (*m_encodeApng)(const std::vector<SIndexedPicture>& frames, const std::uint8_t* palette768,
                         bool transparent, int frameMs, std::string& out, std::string& error);
};

// Bumped whenever the table or the structures it passes change.
constexpr int kMediaModuleVersion = 1;
constexpr const char kMediaModuleEntry[] = "DravikMediaModule";

extern "C" const SMediaModule* DravikMediaModule();
