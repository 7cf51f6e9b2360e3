#include "formats/frmset.h"

#include <algorithm>

int DirectionOfFileName(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.size() - dot != 4)
        return -1;
    const std::string_view ext = name.substr(dot + 1);
    if ((ext[0] | 0x20) != 'f' || (ext[1] | 0x20) != 'r' || ext[2] < '0' || ext[2] > '5')
        return -1;
    return ext[2] - '0';
}

std::string_view DirectionFileBase(std::string_view name)
{
    return DirectionOfFileName(name) < 0 ? std::string_view() : name.substr(0, name.size() - 4);
}

SFrmSet MergeDirectionFiles(const std::array<std::optional<SFrm>, SFrm::kDirections>& files)
{
    SFrmSet set;
    SFrm& out = set.m_frm;
    int first = -1;
    for (int d = 0; d < SFrm::kDirections; ++d) {
        if (!files[d])
            continue;
        const SFrm& in = *files[d];
        if (first < 0)
            first = d;
        // One sibling may carry fps 0 beside others' 10; the game plays all alike.
        if (!out.m_nFps)
            out.m_nFps = in.m_nFps;
        if (!out.m_nActionFrame)
            out.m_nActionFrame = in.m_nActionFrame;
        out.m_nFramesPerDirection = std::max(out.m_nFramesPerDirection, std::uint16_t(in.Frames(d).size()));
        out.m_shiftX[d] = in.m_shiftX[d];
        out.m_shiftY[d] = in.m_shiftY[d];
        out.m_directionBlock[d] = std::uint8_t(out.m_blocks.size());
        out.m_blocks.push_back(in.Frames(d));
        out.m_bTruncated = out.m_bTruncated || in.m_bTruncated;
        set.m_present[d] = true;
    }
    for (int d = 0; d < SFrm::kDirections; ++d) {
        if (!set.m_present[d]) {
            out.m_directionBlock[d] = out.m_directionBlock[first];
            out.m_shiftX[d] = out.m_shiftX[first];
            out.m_shiftY[d] = out.m_shiftY[first];
        }
    }
    return set;
}
