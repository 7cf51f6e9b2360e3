#pragma once
// The long operations' view of the progress dialog. Null in the command line;
// the window's dialog in the application; scripted in tests.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class CWnd;

class IProgress
{
public:
    virtual ~IProgress() = default;
    virtual bool OpenModeless(CWnd* parent) = 0;
    virtual void SetWindowText(const std::string& caption) = 0; // UTF-8
    virtual void SetBounds(std::int32_t lower, std::int32_t upper) = 0;
    // Raw archive bytes (CP1251) or a UTF-8 path; the flag says which.
    virtual void SetStatusLine(std::string_view text, bool rawArchiveName) = 0;
    virtual std::int32_t Advance() = 0;
    virtual bool PollCancel() = 0;
};

using ProgressFactory = std::function<std::unique_ptr<IProgress>()>;
