#pragma once
// Pictures whose directions come from several files: <base>.FR0 to .FR5 each
// hold one direction of the same figure.
#include "formats/frm.h"

#include <array>
#include <optional>
#include <string_view>

// The direction an entry name's extension stands for (.FR0 to .FR5, any
// letter case), or -1.
int DirectionOfFileName(std::string_view name);

// The name without its extension when it is a direction file, else empty:
// what siblings share.
std::string_view DirectionFileBase(std::string_view name);

struct SFrmSet
{
    SFrm m_frm;
    // Directions that have frames; the others borrow the first present one.
    std::array<bool, SFrm::kDirections> m_present{};
};

// Direction d of the set is direction d of files[d]. fps and action frame come
// from the first file that names them. At least one file must be given.
SFrmSet MergeDirectionFiles(const std::array<std::optional<SFrm>, SFrm::kDirections>& files);
