#pragma once
// FRM and RIX pictures to 8-bit BMP files, in memory.
#include "formats/pal.h"
#include "formats/png.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// An 8-bit BMP: 256-colour table from 768 bytes of 6-bit red, green, blue
// (each value times 4, modulo 256), rows stored bottom-up and padded to 4.
// pixels: width * height indices, top row first.
std::string BuildIndexedBmp(std::uint32_t width, std::uint32_t height, const std::uint8_t* palette768,
                            const std::uint8_t* pixels);

// They raise CArchiveException(badIndex) naming nameForErrors for a wrong
// version or signature, an oversized picture, or pixel data so short that the
// picture cannot be shown. Pictures with at least nine tenths of their pixels
// are completed with index 0. An FRM gives its first frame; palette is the
// palette file's bytes.
std::string FrmToBmp(std::string_view frm, std::string_view palette, const std::string& nameForErrors);
std::string RixToBmp(std::string_view rix, const std::string& nameForErrors);

// A RIX picture's pixels, completed as RixToBmp completes them, and its own palette.
SIndexedPicture ParseRix(std::string_view rix, Palette768& palette, const std::string& nameForErrors);
