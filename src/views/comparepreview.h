#pragma once
// Comparing: the two versions of a changed picture or text side by side, the
// old one left, the new one right, each under the name of its source. Each
// side is the preview its handler makes on its own.
#include "platform/preview.h"

#include <memory>
#include <string>

class CSideBySidePreview : public CPreview
{
public:
    CSideBySidePreview(std::shared_ptr<CPreview> left, std::string leftLabel, std::shared_ptr<CPreview> right,
                       std::string rightLabel);
    SExtent Layout(CDC& measure, const RECT& content) override;
    void Draw(CDC& dc) const override;
    std::size_t Bytes() const override;
    std::string Facts() const override { return m_pRight->Facts(); }

    const CPreview& Left() const { return *m_pLeft; }
    const CPreview& Right() const { return *m_pRight; }

    static constexpr int kLabelHeight = 22;

private:
    std::shared_ptr<CPreview> m_pLeft, m_pRight;
    std::string m_strLeft, m_strRight;
    RECT m_rcLeft{}, m_rcRight{}; // the labels
    int m_nBottom = 0;
};
