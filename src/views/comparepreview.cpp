#include "views/comparepreview.h"

#include "filetypes/frmanimation.h"
#include "platform/cdc.h"

#include <algorithm>

namespace {

// A moving picture stands still at its first frame: the point is to compare.
void ShowStill(CPreview& preview)
{
    if (auto* animation = dynamic_cast<CFrmAnimationPreview*>(&preview)) {
        SPictureState state;
        state.m_bPlaying = false;
        state.m_bPaletteAnimation = false;
        animation->Show(state, 0, 0);
    }
}

} // namespace

CSideBySidePreview::CSideBySidePreview(std::shared_ptr<CPreview> left, std::string leftLabel,
                                       std::shared_ptr<CPreview> right, std::string rightLabel)
    : m_pLeft(std::move(left)), m_pRight(std::move(right)), m_strLeft(std::move(leftLabel)),
      m_strRight(std::move(rightLabel))
{
    ShowStill(*m_pLeft);
    ShowStill(*m_pRight);
}

CPreview::SExtent CSideBySidePreview::Layout(CDC& measure, const RECT& content)
{
    const int middle = (content.left + content.right) / 2;
    m_rcLeft = {content.left, content.top, middle - 2, content.top + kLabelHeight};
    m_rcRight = {middle + 2, content.top, content.right, content.top + kLabelHeight};
    const RECT left{m_rcLeft.left, m_rcLeft.bottom, m_rcLeft.right, content.bottom};
    const RECT right{m_rcRight.left, m_rcRight.bottom, m_rcRight.right, content.bottom};
    const SExtent a = m_pLeft->Layout(measure, left), b = m_pRight->Layout(measure, right);
    // Texts scroll as one: the longer side sets the height.
    const int height = std::max(a.m_nHeight, b.m_nHeight);
    m_nBottom = std::max<int>(content.bottom, height + left.top);
    return {0, height ? height + left.top : 0};
}

void CSideBySidePreview::Draw(CDC& dc) const
{
    dc.SetBkModeTransparent(true);
    for (auto [rect, text] : {std::pair{m_rcLeft, &m_strLeft}, std::pair{m_rcRight, &m_strRight}}) {
        RECT r = rect;
        dc.DrawText(*text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    // The line between the two sides.
    const int middle = (m_rcLeft.right + m_rcRight.left) / 2;
    dc.MoveTo(middle, m_rcLeft.top);
    dc.LineTo(middle, m_nBottom);
    m_pLeft->Draw(dc);
    m_pRight->Draw(dc);
}

std::size_t CSideBySidePreview::Bytes() const
{
    return sizeof *this + m_pLeft->Bytes() + m_pRight->Bytes();
}
