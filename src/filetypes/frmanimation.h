#pragma once
// An FRM that moves: every frame of every direction composed once on the
// direction's union box, palette-indexed, so that playing only picks a frame
// and, for pictures using the cycled entries, a colour table.
#include "formats/frmset.h"
#include "formats/pal.h"
#include "platform/bitmap.h"
#include "platform/preview.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

// How the viewer shows pictures; it keeps this while the selection moves on.
struct SPictureState
{
    int m_nDirection = 0;
    bool m_bPlaying = true;
    int m_nZoom = 0; // 0 fits the pane, else pixels per picture pixel
    bool m_bTransparent = false;
    bool m_bPaletteAnimation = true;
    // A palette chosen instead of the picture's own: the raw name of a PAL
    // entry, or a PAL file on disk; both empty: the picture's own.
    std::string m_strPaletteEntry;
    std::string m_strPaletteFile;
};

class CFrmAnimationPreview : public CPreview
{
public:
    // Composed frames cost each direction's box for every frame; hostile
    // offsets could ask for gigabytes, so larger animations show their first
    // frame only.
    static constexpr std::uint64_t kMaxBytes = 64u << 20;
    static std::uint64_t ComposedBytes(const SFrm& frm);

    // paletteName: what the band says coloured the picture.
    CFrmAnimationPreview(const SFrmSet& set, const Palette768& palette, std::string paletteName);

    SExtent Layout(CDC& measure, const RECT& content) override;
    void Draw(CDC& dc) const override;
    std::size_t Bytes() const override { return m_nBytes; }
    std::string Facts() const override;

    bool HasDirection(int direction) const { return m_frm.m_present[std::size_t(direction)]; }
    int DirectionCount() const;
    int FrameCount(int direction) const;
    int FrameDurationMs() const { return m_frm.m_frm.FrameDurationMs(); }
    int ActionFrame() const { return m_frm.m_frm.m_nActionFrame; }
    // Cycled palette groups the pictures use; 0 when the palette does not cycle.
    unsigned CycleGroups() const { return m_nCycleGroups; }
    // More than one frame or direction: worth the controls.
    bool IsAnimation() const;

    // What Draw shows next: a frame of the state's direction, the colours
    // paletteMs into the cycle. Cheap; the bitmap is converted again only
    // when its colours changed.
    void Show(const SPictureState& state, int frame, std::int64_t paletteMs);
    int Direction() const { return m_nDirection; }
    int Frame() const { return m_nFrame; }
    const SBitmap& ShownBitmap() const;
    // Where Draw paints, its frame included.
    RECT DrawnRect() const { return {m_rcDest.left - 2, m_rcDest.top - 2, m_rcDest.right + 2, m_rcDest.bottom + 2}; }

private:
    struct SDirection
    {
        SFrmBox m_box;
        std::vector<SBitmap> m_frames;
    };

    SFrmSet m_frm;
    std::array<std::shared_ptr<SDirection>, SFrm::kDirections> m_directions;
    std::vector<std::uint32_t> m_basePalette;
    std::string m_strPaletteName;
    unsigned m_nCycleGroups = 0;
    std::size_t m_nBytes = 0;
    int m_nDirection = 0;
    int m_nFrame = 0;
    int m_nZoom = 0;
    RECT m_rcDest{};
};
