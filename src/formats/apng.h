#pragma once
// Animated PNG through FFmpeg's encoder and muxer: a library of its own, so
// that only the programs that write animations link FFmpeg.
#include "formats/png.h"

#include <string>
#include <vector>

// frames: pictures of one size, played in a loop for ever, each shown for
// frameMs milliseconds; coloured as EncodeIndexedPng colours them. Raises
// std::runtime_error naming what FFmpeg refused.
std::string EncodeApng(const std::vector<SIndexedPicture>& frames, const std::uint8_t* palette768, bool transparent,
                       int frameMs);
