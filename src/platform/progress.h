#pragma once
// The long operations' view of the progress dialog. Null in the command line;
// the window's dialog in the application; scripted in tests.
#include <atomic>
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

    // Steps the bar units times; what Advance would show after the last step.
    virtual std::int32_t AdvanceBy(std::int32_t units)
    {
        std::int32_t previous = 0;
        for (std::int32_t i = 0; i < units; ++i)
            previous = Advance();
        return previous;
    }

    // A dialog that only shows anything when it refreshes can let a tight loop
    // skip its per-unit calls until this flag is raised; the loop then reports
    // the skipped units through AdvanceBy. Null: every unit is to be reported.
    const std::atomic<bool>* RefreshFlag() const { return m_pRefreshDue; }

protected:
    const std::atomic<bool>* m_pRefreshDue = nullptr;
};

using ProgressFactory = std::function<std::unique_ptr<IProgress>()>;
