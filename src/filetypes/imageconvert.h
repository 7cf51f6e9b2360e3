#pragma once
// FRM and RIX pictures to 8-bit BMP files, and the layout of a picture in a pane.
#include "platform/rect.h"

#include <cstdint>
#include <string>
#include <string_view>

// An 8-bit BMP: 256-colour table from 768 bytes of 6-bit red, green, blue
// (each value times 4, modulo 256), rows stored bottom-up and padded to 4.
// pixels: width * height indices, top row first.
std::string BuildIndexedBmp(std::uint32_t width, std::uint32_t height, const std::uint8_t* palette768,
                            const std::uint8_t* pixels);

// In-memory conversions; they raise CArchiveException(badIndex) naming
// nameForErrors for a wrong version or signature, an oversized picture, or
// pixel data so short that the picture cannot be shown. Pictures with at least
// nine tenths of their pixels are completed with index 0.
std::string FrmToBmp(std::string_view frm, std::string_view palette, const std::string& nameForErrors);
std::string RixToBmp(std::string_view rix, const std::string& nameForErrors);

// The same between files. The BMP appears complete under bmpPath or not at all.
void ConvertFrmToBmp(const std::string& frmPath, const std::string& palPath, const std::string& bmpPath);
void ConvertRixToBmp(const std::string& rixPath, const std::string& bmpPath);

// src fitted into dst: unchanged when smaller both ways, otherwise scaled
// keeping its proportions and centred along the free direction; then shrunk
// by margin on every side.
void FitRect(RECT& out, const RECT& src, const RECT& dst, int margin);
