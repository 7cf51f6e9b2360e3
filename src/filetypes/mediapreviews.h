#pragma once
// What the pane shows of a sound (its facts, a waveform of the whole sound,
// and the samples for playing) and of a movie (a poster frame, its facts and
// the hint line). Made on a worker thread from the entry's bytes.
#include "filetypes/previews.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct SPreviewRequest;

class CSoundPreview : public CPreview
{
public:
    CSoundPreview(int rate, int channels, std::vector<std::int16_t> samples);
    SExtent Layout(CDC& measure, const RECT& content) override;
    void Draw(CDC& dc) const override;
    std::size_t Bytes() const override;

    int Rate() const { return m_nRate; }
    int Channels() const { return m_nChannels; }
    const std::vector<std::int16_t>& Samples() const { return m_samples; }
    const std::string& FactsLine() const { return m_strFacts; }
    // The line under the waveform: how to play, or why it cannot be.
    void SetStatus(std::string utf8) { m_strStatus = std::move(utf8); }
    const std::string& Status() const { return m_strStatus; }

private:
    int m_nRate, m_nChannels;
    std::vector<std::int16_t> m_samples;
    std::vector<std::pair<std::int16_t, std::int16_t>> m_peaks; // lowest and highest per column
    std::string m_strFacts;
    std::string m_strStatus;
    RECT m_rcFacts{}, m_rcWave{}, m_rcStatus{};
};

class CMoviePreview : public CPreview
{
public:
    // poster: may be empty (no picture decodes); facts and hint: one line each.
    CMoviePreview(SBitmap poster, std::string facts, std::string hint);
    SExtent Layout(CDC& measure, const RECT& content) override;
    void Draw(CDC& dc) const override;
    std::size_t Bytes() const override { return sizeof *this + m_picture.Bytes(); }
    const std::string& FactsLine() const { return m_strFacts; }
    const SBitmap& Poster() const { return m_picture.Bitmap(); }

private:
    CPicturePreview m_picture;
    std::string m_strFacts, m_strHint;
    RECT m_rcFacts{}, m_rcHint{};
};

// The previews of ACM and MVE entries; a damaged entry gets a line that says so.
std::unique_ptr<CPreview> MakeSoundPreview(const SPreviewRequest& request);
std::unique_ptr<CPreview> MakeMoviePreview(const SPreviewRequest& request, const std::string& hint);
// The entry's folders and name as the sound rule reads them.
std::string SoundEntryPath(const SPreviewRequest& request);
