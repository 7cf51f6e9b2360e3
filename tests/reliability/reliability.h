#pragma once
// What the reliability tests share: snapshots of folder trees (to prove that
// nothing outside a destination changed), a device context that draws nothing,
// a file-size limit that turns writes into errors, sparse files, and a few
// hostile names.
#include "platform/bitmap.h"
#include "platform/cdc.h"
#include "platform/cwnd.h"

#include <csignal>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <vector>

// One file-system object as lstat sees it; links are never followed.
struct SNode
{
    char kind = '?';           // 'f' file, 'd' folder, 'l' link, '?' other
    std::uint64_t size = 0;
    ino_t inode = 0;
    std::int64_t mtimeNs = 0;
    std::string linkTarget;    // links only
    std::string content;       // files of up to 1 MiB
    bool operator==(const SNode&) const = default;
};

// Every object under root (root itself excluded), by path relative to root.
using CTreeSnapshot = std::map<std::string, SNode>;
CTreeSnapshot TakeSnapshot(const std::string& root);

// Paths added, removed or changed between two snapshots of one root, except
// those inside the allowed folders (relative paths, no trailing '/').
std::vector<std::string> ChangesOutside(const CTreeSnapshot& before, const CTreeSnapshot& after,
                                        const std::vector<std::string>& allowed);
// Paths that exist after but not before, below folder (relative to the root).
std::vector<std::string> AddedBelow(const CTreeSnapshot& before, const CTreeSnapshot& after,
                                    const std::string& folder);

// The state of one path that lies outside every test folder (such as /tmp/x).
struct SPathState
{
    bool exists = false;
    SNode node;
    bool operator==(const SPathState&) const = default;
};
SPathState StateOf(const std::string& path);

// Writes past `bytes` fail with EFBIG while this lives.
class CFileSizeLimit
{
public:
    explicit CFileSizeLimit(rlim_t bytes);
    ~CFileSizeLimit();
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = SIG_DFL;
};

// Makes path a file of `length` bytes that takes (almost) no disk space; false
// when the file system cannot make sparse files.
bool MakeSparseFile(const std::string& path, std::uint64_t length);
void WriteAt(const std::string& path, std::uint64_t offset, const std::string& bytes);

// Runs body and returns what it wrote to stderr.
std::string CaptureStderr(const std::function<void()>& body);

// A device context that draws nothing and records the texts it is given.
class CQuietDC : public CDC
{
public:
    CWnd* GetWindow() const override { return const_cast<CWnd*>(&m_wnd); }
    int DrawText(std::string_view text, RECT& rect, unsigned format) override
    {
        m_texts.emplace_back(text);
        if (format & DT_CALCRECT) {
            rect.right = rect.left + 100;
            rect.bottom = rect.top + 16;
        }
        return 16;
    }
    void TextOut(int, int, std::string_view) override {}
    void SetBkModeTransparent(bool) override {}
    void FillSolidRect(const RECT&, std::uint32_t) override {}
    void FrameRect(const RECT&, std::uint32_t) override {}
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void DrawItemIcon(int, int, int, bool) override {}
    void DrawBitmap(const SBitmap&, const RECT&, const RECT&) override { ++m_nDibs; }

    CWnd m_wnd;
    std::vector<std::string> m_texts;
    int m_nDibs = 0;
};

// A 4x3 FRM picture, its palette and a RIX picture, for entries that must convert.
std::string SmallFrm();
std::string SmallPalette();
std::string SmallRix();
