#include "filetypes/mediapreviews.h"

#include "archive/extract.h"
#include "archive/previewrequest.h"
#include "media.h"
#include "platform/cdc.h"
#include "platform/file.h"
#include "platform/uiservices.h"
#include "platform/uitext.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kColumns = 1024;
constexpr int kLine = 22;

std::string Seconds(std::int64_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lld,%03lld", static_cast<long long>(ms / 1000), static_cast<long long>(ms % 1000));
    return UiServices().Text(DRAVIK_TR_NOOP("Core", "%1 с"), {text});
}

std::string ReadBytes(const SPreviewRequest& request)
{
    CFile archive(request.m_strArchivePath, CFile::modeRead);
    return ReadEntryData(archive, request.m_entry);
}

} // namespace

CSoundPreview::CSoundPreview(int rate, int channels, std::vector<std::int16_t> samples)
    : m_nRate(rate), m_nChannels(std::max(channels, 1)), m_samples(std::move(samples))
{
    const std::size_t frames = m_samples.size() / std::size_t(m_nChannels);
    if (frames > 0) {
        const std::size_t columns = std::min<std::size_t>(kColumns, frames);
        m_peaks.reserve(columns);
        for (std::size_t c = 0; c < columns; ++c) {
            const std::size_t from = frames * c / columns * std::size_t(m_nChannels);
            const std::size_t to = frames * (c + 1) / columns * std::size_t(m_nChannels);
            const auto [lo, hi] = std::minmax_element(m_samples.begin() + std::ptrdiff_t(from),
                                                      m_samples.begin() + std::ptrdiff_t(to));
            m_peaks.emplace_back(*lo, *hi);
        }
    }
    SSoundFacts facts{m_nRate, m_nChannels, m_samples.size()};
    m_strFacts = UiServices().Text(DRAVIK_TR_NOOP("Core", "Длительность: %1   Каналов: %2   Частота: %3 Гц   Отсчётов: %4"),
                                   {Seconds(facts.DurationMs()), std::to_string(m_nChannels), std::to_string(m_nRate),
                                    std::to_string(m_samples.size())});
}

std::size_t CSoundPreview::Bytes() const
{
    return sizeof *this + m_samples.size() * sizeof(std::int16_t) + m_peaks.size() * 4 + m_strFacts.size();
}

CPreview::SExtent CSoundPreview::Layout(CDC&, const RECT& content)
{
    m_rcFacts = {content.left + 8, content.top + 8, content.right - 8, content.top + 8 + kLine};
    m_rcStatus = {content.left + 8, content.bottom - 8 - kLine, content.right - 8, content.bottom - 8};
    m_rcWave = {content.left + 8, m_rcFacts.bottom + 8, content.right - 8, std::max(m_rcStatus.top - 8, m_rcFacts.bottom + 8)};
    return {};
}

void CSoundPreview::Draw(CDC& dc) const
{
    dc.SetBkModeTransparent(true);
    RECT r = m_rcFacts;
    dc.DrawText(m_strFacts, r, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    r = m_rcStatus;
    dc.DrawText(m_strStatus, r, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    const int width = m_rcWave.right - m_rcWave.left, height = m_rcWave.bottom - m_rcWave.top;
    if (width <= 2 || height <= 2)
        return;
    dc.FrameRect(m_rcWave, RGB(0, 0, 0));
    const int mid = (m_rcWave.top + m_rcWave.bottom) / 2;
    dc.MoveTo(m_rcWave.left, mid);
    dc.LineTo(m_rcWave.right, mid);
    if (m_peaks.empty())
        return;
    for (int x = 1; x < width - 1; ++x) {
        const auto& [lo, hi] = m_peaks[std::size_t(x) * m_peaks.size() / std::size_t(width)];
        dc.MoveTo(m_rcWave.left + x, mid - hi * (height / 2 - 1) / 32768);
        dc.LineTo(m_rcWave.left + x, mid - lo * (height / 2 - 1) / 32768 + 1);
    }
}

CMoviePreview::CMoviePreview(SBitmap poster, std::string facts, std::string hint)
    : m_picture(std::move(poster)), m_strFacts(std::move(facts)), m_strHint(std::move(hint))
{
}

CPreview::SExtent CMoviePreview::Layout(CDC& measure, const RECT& content)
{
    m_rcHint = {content.left, content.bottom - 8 - kLine, content.right, content.bottom - 8};
    m_rcFacts = {content.left, m_rcHint.top - kLine, content.right, m_rcHint.top};
    m_picture.Layout(measure, {content.left, content.top, content.right, std::max(m_rcFacts.top - 4, content.top)});
    return {};
}

void CMoviePreview::Draw(CDC& dc) const
{
    if (!m_picture.Bitmap().IsEmpty())
        m_picture.Draw(dc);
    dc.SetBkModeTransparent(true);
    RECT r = m_rcFacts;
    dc.DrawText(m_strFacts, r, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    r = m_rcHint;
    dc.DrawText(m_strHint, r, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
}

std::string SoundEntryPath(const SPreviewRequest& request)
{
    std::string path;
    for (const std::string& folder : request.m_folders)
        path += folder + "\\";
    return path + request.m_entry.m_strName;
}

std::unique_ptr<CPreview> MakeSoundPreview(const SPreviewRequest& request)
{
    const std::string bytes = ReadBytes(request);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    try {
        const SSoundFacts header = AcmFacts(data, bytes.size(), 0);
        SSound sound = DecodeAcm(data, bytes.size(),
                                 AcmChannels(SoundEntryPath(request), header.m_nChannels, header.m_nRate));
        return std::make_unique<CSoundPreview>(sound.m_facts.m_nRate, sound.m_facts.m_nChannels,
                                               std::move(sound.m_samples));
    } catch (const CMediaError& e) {
        return std::make_unique<CLinePreview>(UiServices().Text(DRAVIK_TR_NOOP("Core", "Звук повреждён: %1"), {e.what()}));
    }
}

std::unique_ptr<CPreview> MakeMoviePreview(const SPreviewRequest& request, const std::string& hint)
{
    const std::string bytes = ReadBytes(request);
    try {
        SMovieFacts facts = ReadMovieFacts(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), true);
        SBitmap poster;
        if (!facts.m_poster.empty()) {
            poster.m_nWidth = facts.m_nPosterWidth;
            poster.m_nHeight = facts.m_nPosterHeight;
            poster.m_nStride = poster.m_nWidth * 4;
            poster.m_bIndexed = false;
            poster.m_bits.resize(facts.m_poster.size() * 4);
            std::copy_n(reinterpret_cast<const std::uint8_t*>(facts.m_poster.data()), poster.m_bits.size(),
                        poster.m_bits.data());
        }
        std::string text = UiServices().Text(DRAVIK_TR_NOOP("Core", "%1 × %2   Кадров: %3   Длительность: %4"),
                                             {std::to_string(facts.m_nWidth), std::to_string(facts.m_nHeight),
                                              std::to_string(facts.m_nFrames), Seconds(facts.m_nDurationMs)});
        text += facts.m_nAudioRate > 0
                    ? UiServices().Text(DRAVIK_TR_NOOP("Core", "   Звук: %1, %2 Гц, каналов: %3"),
                                        {facts.m_strAudioCodec, std::to_string(facts.m_nAudioRate),
                                         std::to_string(facts.m_nAudioChannels)})
                    : UiServices().Text(DRAVIK_TR_NOOP("Core", "   Без звука"));
        return std::make_unique<CMoviePreview>(std::move(poster), std::move(text), hint);
    } catch (const CMediaError& e) {
        return std::make_unique<CMoviePreview>(SBitmap{}, UiServices().Text(DRAVIK_TR_NOOP("Core", "Кино повреждено: %1"), {e.what()}), hint);
    }
}
