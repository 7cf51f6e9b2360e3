#pragma once
// What the handler tests share: a device context that records what is drawn
// (its window a scroll view recording its scroll sizes; text measured as 8
// pixels a character and 16 a line), and a fixture that opens an archive of
// given entries with its cache and the files Open hands over in its own folders.
#include "archive/datfiledoc.h"
#include "fakes.h"
#include "filetypes/openedfiles.h"
#include "formats/dib.h"
#include "helpers.h"
#include "platform/bitmap.h"
#include "platform/cdc.h"
#include "platform/cwnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class CRecordingWnd : public CWnd
{
public:
    void SetScrollSizes(int cx, int cy) override { m_scrollSizes.emplace_back(cx, cy); }
    bool IsScrollView() const override { return m_bScrollView; }

    bool m_bScrollView = true;
    std::vector<std::pair<int, int>> m_scrollSizes;
};

class CRecordingDC : public CDC
{
public:
    static constexpr int kCharWidth = 8;
    static constexpr int kLineHeight = 16;

    struct SText { std::string text; RECT rect; unsigned format; };
    struct SDib { RECT dst, src; std::uint32_t width, height; };

    CWnd* GetWindow() const override { return &m_wnd; }

    // Measuring: the longest line's characters across (at most the rect's width), the lines down.
    int DrawText(std::string_view text, RECT& rect, unsigned format) override
    {
        m_texts.push_back({std::string(text), rect, format});
        if (!(format & DT_CALCRECT))
            return kLineHeight;
        int lines = text.empty() || text.back() != '\n', longest = 0, line = 0;
        for (char c : text) {
            lines += c == '\n';
            line = c == '\n' ? 0 : line + ((c & 0xC0) != 0x80);
            longest = std::max(longest, line);
        }
        rect.right = rect.left + std::min(longest * kCharWidth, rect.Width());
        rect.bottom = rect.top + lines * kLineHeight;
        return lines * kLineHeight;
    }
    void TextOut(int, int, std::string_view) override {}
    void SetBkModeTransparent(bool) override {}
    void FillSolidRect(const RECT&, std::uint32_t) override {}
    void FrameRect(const RECT& rect, std::uint32_t) override { m_frames.push_back(rect); }
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void DrawItemIcon(int, int, int, bool) override {}
    void DrawBitmap(const SBitmap& bitmap, const RECT& dst, const RECT& src) override
    {
        m_dibs.push_back({dst, src, std::uint32_t(bitmap.m_nWidth), std::uint32_t(bitmap.m_nHeight)});
    }

    void Clear()
    {
        m_texts.clear(), m_frames.clear(), m_dibs.clear(), m_wnd.m_scrollSizes.clear();
    }

    mutable CRecordingWnd m_wnd;
    std::vector<SText> m_texts;
    std::vector<RECT> m_frames;
    std::vector<SDib> m_dibs;

};

class HandlerTest : public ::testing::Test
{
protected:
    using Entries = std::vector<std::pair<std::string, std::string>>;

    // Writes the entries (compressed, sorted) as m_dir/name; extra ones as defined.
    std::string Archive(const std::string& name, const Entries& entries, std::vector<SDatEntryDef> defs = {})
    {
        for (const auto& [path, data] : entries)
            defs.push_back(Def(path, data, [](SDatEntryDef& d) { d.compress = true; }));
        SortEntries(defs);
        CDatWriter writer;
        for (SDatEntryDef& d : defs)
            writer.Add(std::move(d));
        const std::string path = m_dir / name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        writer.WriteTo(path);
        return path;
    }

    // A new document on the archive, as in a new run of the program.
    void Open(const std::string& path)
    {
        m_doc = std::make_unique<CDATFileDoc>(false);
        ASSERT_TRUE(m_doc->OpenDocumentFile(path));
        m_doc->m_CashPath.Set(m_cache);
    }

    CDATInternalFile* Entry(const std::string& fullPath) { return &FindFile(*m_doc, fullPath); }

    void Show(const std::string& fullPath, RECT pane = {0, 0, 640, 480})
    {
        m_dc.Clear();
        ShowEntry(*m_doc, *Entry(fullPath), m_dc, pane);
    }

    // Open: the file handed to the desktop, or "" when none was.
    std::string OpenOutside(const std::string& fullPath)
    {
        const std::size_t before = m_ui.m_opened.size();
        Entry(fullPath)->m_pType->Open(m_doc->Context(), Entry(fullPath), nullptr);
        return m_ui.m_opened.size() > before ? m_ui.m_opened.back() : std::string();
    }

    CFakeUiServices m_ui;
    CTempDir m_dir;
    COpenedFiles m_opened;
    std::string m_cache = m_dir / "cache";
    std::unique_ptr<CDATFileDoc> m_doc;
    CRecordingDC m_dc;
};
