#include "formats/frm.h"

#include "formats/bytereader.h"
#include "platform/exceptions.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr std::size_t kHeaderSize = 62;

[[noreturn]] void Refuse(const std::string& name, const std::string& what)
{
    throw CArchiveException(CArchiveException::badIndex, name, what);
}

// One frame record at the reader's position. first: the frame every picture
// shows, which keeps what it has when nine tenths of the pixels are there and
// refuses the file when it cannot be read; any other frame that cannot be
// read only ends its block.
bool ReadFrame(CByteReader& in, SFrmFrame& frame, bool first, const std::string& name)
{
    std::uint32_t count = 0;
    if (!in.BE16(frame.m_nWidth) || !in.BE16(frame.m_nHeight) || !in.BE32(count) || !in.BE16s(frame.m_nOffsetX) ||
        !in.BE16s(frame.m_nOffsetY))
        return false;
    if (frame.m_nWidth > kMaxPictureSide || frame.m_nHeight > kMaxPictureSide) {
        if (!first)
            return false;
        Refuse(name, "the picture is " + std::to_string(frame.m_nWidth) + " by " + std::to_string(frame.m_nHeight) +
                         " pixels, larger than " + std::to_string(kMaxPictureSide));
    }
    const std::size_t need = std::size_t(frame.m_nWidth) * frame.m_nHeight;
    // The count field only bounds the pixels; a frame never takes more than it says.
    std::string_view pixels = in.Bytes(std::min<std::size_t>(count, need));
    if (pixels.size() < need) {
        if (!first)
            return false;
        if (pixels.size() * 10 < need * 9)
            Refuse(name, "the picture data holds " + std::to_string(pixels.size()) + " of " + std::to_string(need) +
                             " pixels");
    } else if (count > need) {
        in.Bytes(count - need);
    }
    frame.m_pixels.assign(need, 0);
    if (!pixels.empty())
        std::memcpy(frame.m_pixels.data(), pixels.data(), pixels.size());
    return true;
}

} // namespace

SFrm ParseFrm(std::string_view bytes, const std::string& name)
{
    CByteReader in(bytes);
    std::uint32_t version = 0;
    if (!in.BE32(version) || version != 4)
        Refuse(name, "not an FRM picture of version 4");
    SFrm frm;
    std::array<std::uint32_t, SFrm::kDirections> offsets{};
    bool ok = in.BE16(frm.m_nFps) && in.BE16(frm.m_nActionFrame) && in.BE16(frm.m_nFramesPerDirection);
    for (auto& v : frm.m_shiftX)
        ok = ok && in.BE16s(v);
    for (auto& v : frm.m_shiftY)
        ok = ok && in.BE16s(v);
    for (auto& v : offsets)
        ok = ok && in.BE32(v);
    // The first frame's record header is always there, so the first block is never empty.
    if (!ok || bytes.size() < kHeaderSize + 12)
        Refuse(name, "the FRM header is cut short");
    // Read as signed by the game: a count past 32767 is damage, and only the
    // first frame is trusted then; 0 still shows the first frame.
    std::size_t frames = std::max<std::size_t>(frm.m_nFramesPerDirection, 1);
    if (frames > 32767) {
        frames = 1;
        frm.m_bTruncated = true;
    }

    // Each distinct data offset is one block of frames, parsed once.
    std::vector<std::uint32_t> blockOffsets;
    for (int d = 0; d < SFrm::kDirections; ++d) {
        auto found = std::find(blockOffsets.begin(), blockOffsets.end(), offsets[d]);
        frm.m_directionBlock[d] = std::uint8_t(found - blockOffsets.begin());
        if (found == blockOffsets.end())
            blockOffsets.push_back(offsets[d]);
    }
    frm.m_blocks.resize(blockOffsets.size());
    for (std::size_t b = 0; b < blockOffsets.size(); ++b) {
        std::vector<SFrmFrame>& block = frm.m_blocks[b];
        // The first block starts right after the header whatever its offset
        // says (0 in every real file): the game reads the blocks in turn, and
        // single pictures were always taken from there.
        const std::uint64_t start = b == 0 ? kHeaderSize : std::uint64_t(kHeaderSize) + blockOffsets[b];
        CByteReader at(bytes);
        const bool placed = start <= bytes.size() && at.Seek(std::size_t(start));
        for (std::size_t i = 0; placed && i < frames; ++i) {
            SFrmFrame frame;
            if (!ReadFrame(at, frame, b == 0 && i == 0, name))
                break;
            block.push_back(std::move(frame));
        }
        if (block.size() < frames)
            frm.m_bTruncated = true;
    }
    // A direction with nothing readable borrows the first one's frames.
    for (auto& index : frm.m_directionBlock)
        if (frm.m_blocks[index].empty())
            index = 0;
    return frm;
}

std::size_t FrmFirstFrameEnd(std::string_view head)
{
    CByteReader in(head);
    std::uint16_t width = 0, height = 0;
    // ParseFrm refuses a larger frame: no more is read for it.
    if (!in.Seek(kHeaderSize) || !in.BE16(width) || !in.BE16(height) || width > kMaxPictureSide ||
        height > kMaxPictureSide)
        return kFrmFirstRecordEnd;
    return kFrmFirstRecordEnd + std::size_t(width) * height;
}

int SFrm::DirectionCount() const
{
    for (int d = 1; d < kDirections; ++d)
        if (m_directionBlock[d] != m_directionBlock[0] || m_shiftX[d] != m_shiftX[0] || m_shiftY[d] != m_shiftY[0])
            return kDirections;
    return 1;
}

std::vector<SFrmBox> SFrm::FrameBoxes(int direction) const
{
    std::vector<SFrmBox> boxes;
    long ax = m_shiftX[direction], ay = m_shiftY[direction];
    for (const SFrmFrame& f : Frames(direction)) {
        ax += f.m_nOffsetX;
        ay += f.m_nOffsetY;
        // The bottom-centre pixel sits on the anchor; odd widths round the centre down.
        SFrmBox box;
        box.m_nLeft = int(ax - f.m_nWidth / 2);
        box.m_nTop = int(ay - (long(f.m_nHeight) - 1));
        box.m_nRight = box.m_nLeft + f.m_nWidth;
        box.m_nBottom = box.m_nTop + f.m_nHeight;
        boxes.push_back(box);
    }
    return boxes;
}

SFrmBox SFrm::DirectionBox(int direction) const
{
    const std::vector<SFrmBox> boxes = FrameBoxes(direction);
    SFrmBox u = boxes.front();
    for (const SFrmBox& b : boxes) {
        u.m_nLeft = std::min(u.m_nLeft, b.m_nLeft);
        u.m_nTop = std::min(u.m_nTop, b.m_nTop);
        u.m_nRight = std::max(u.m_nRight, b.m_nRight);
        u.m_nBottom = std::max(u.m_nBottom, b.m_nBottom);
    }
    return u;
}

std::vector<std::uint8_t> SFrm::ComposeFrame(int direction, std::size_t index, const SFrmBox& canvas) const
{
    // Offsets that wander far apart would ask for a canvas no picture needs.
    if (canvas.Width() <= 0 || canvas.Height() <= 0 || canvas.Width() > kMaxPictureSide ||
        canvas.Height() > kMaxPictureSide)
        return {};
    std::vector<std::uint8_t> out(std::size_t(canvas.Width()) * std::size_t(canvas.Height()), 0);
    const std::vector<SFrmFrame>& frames = Frames(direction);
    if (index >= frames.size())
        return out;
    const SFrmBox box = FrameBoxes(direction)[index];
    const SFrmFrame& f = frames[index];
    for (int y = std::max(box.m_nTop, canvas.m_nTop); y < std::min(box.m_nBottom, canvas.m_nBottom); ++y) {
        const int x0 = std::max(box.m_nLeft, canvas.m_nLeft);
        const int x1 = std::min(box.m_nRight, canvas.m_nRight);
        if (x1 <= x0)
            continue;
        std::memcpy(&out[std::size_t(y - canvas.m_nTop) * std::size_t(canvas.Width()) + std::size_t(x0 - canvas.m_nLeft)],
                    &f.m_pixels[std::size_t(y - box.m_nTop) * f.m_nWidth + std::size_t(x0 - box.m_nLeft)],
                    std::size_t(x1 - x0));
    }
    return out;
}
