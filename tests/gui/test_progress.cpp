#include "platform/codepage.h"
#include "platform/ui/inputblock.h"
#include "shell/progressdlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>
#include <chrono>
#include <QElapsedTimer>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// The percentage texts shown after each of `steps` Advance calls.
std::vector<QString> PercentsFor(std::int32_t lower, std::int32_t upper, int steps)
{
    CProgressDlg dlg;
    dlg.OpenModeless(nullptr);
    dlg.SetBounds(lower, upper);
    std::vector<QString> shown;
    for (int i = 0; i < steps; ++i) {
        dlg.Advance();
        shown.push_back(dlg.PercentText());
    }
    return shown;
}

void PressKey(QWidget* target, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
}

} // namespace

TEST(ProgressPercent, StartsBlankAndFollowsTheSteps)
{
    CProgressDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Процес..."));
    EXPECT_EQ(dlg.PercentText(), QStringLiteral(" 0 %"));

    EXPECT_EQ(PercentsFor(1, 4, 3), (std::vector<QString>{"33%", "66%", "100%"}));
    EXPECT_EQ(PercentsFor(1, 2, 1), (std::vector<QString>{"100%"}));
    // Past the upper bound the bar wraps and the text starts again from a small number.
    EXPECT_EQ(PercentsFor(1, 4, 5), (std::vector<QString>{"33%", "66%", "100%", "33%", "33%"}));
}

TEST(ProgressPercent, PositionsAndWrapping)
{
    CProgressDlg dlg;
    dlg.OpenModeless(nullptr);
    dlg.SetBounds(1, 3);
    EXPECT_EQ(dlg.Position(), 1); // moved into the range
    EXPECT_EQ(dlg.Advance(), 1);
    EXPECT_EQ(dlg.Advance(), 2);
    EXPECT_EQ(dlg.Advance(), 3);
    EXPECT_EQ(dlg.Position(), 1); // wrapped to the lower bound
}

TEST(ProgressPercent, EveryStepFollowsTheRuleAcrossWrapsAndNewBounds)
{
    // The text is only recomputed when the number changes; make sure no step is missed.
    CProgressDlg dlg;
    dlg.OpenModeless(nullptr);
    const std::pair<std::int32_t, std::int32_t> bounds[] = {{1, 8}, {0, 7}, {-5, 250}, {1, 101}, {10, 13}, {1, 3}, {0, 100003}};
    for (const auto& [lower, upper] : bounds) {
        dlg.SetBounds(lower, upper);
        const qint64 range = qint64(upper) - lower;
        for (qint64 i = 0; i < range + 3; ++i) {
            const std::int32_t previous = dlg.Advance();
            const qint64 quotient = (qint64(previous) + 1 - lower) * 100 / range;
            const qint64 percent = quotient == 100 ? 100 : quotient % 100;
            ASSERT_EQ(dlg.PercentText(), QString::number(percent) + '%')
                << lower << ".." << upper << " after position " << previous;
        }
    }
}

TEST(ProgressPercent, LargeRangesNeedNo16BitBounds)
{
    // 200,000 units: a 16-bit bar would sit near zero; ours reaches the end.
    CProgressDlg dlg;
    dlg.OpenModeless(nullptr);
    const std::int32_t units = 200000;
    dlg.SetBounds(1, units + 1);
    for (std::int32_t i = 0; i < units / 2; ++i)
        dlg.Advance();
    EXPECT_EQ(dlg.PercentText(), QStringLiteral("50%"));
    dlg.PumpNow();
    auto* bar = dlg.findChild<QProgressBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->value() * 2, bar->maximum());
    for (std::int32_t i = units / 2; i < units; ++i)
        dlg.Advance();
    EXPECT_EQ(dlg.PercentText(), QStringLiteral("100%"));

    // Bounds at the ends of the 32-bit range must not overflow.
    CProgressDlg wide;
    wide.SetBounds(INT32_MIN, INT32_MAX);
    wide.Advance(); // from 0 to 1: just past the middle
    EXPECT_EQ(wide.PercentText(), QStringLiteral("50%"));
}

TEST(ProgressCancel, LatchIsOneShot)
{
    CProgressDlg dlg;
    dlg.OpenModeless(nullptr);
    EXPECT_FALSE(dlg.PollCancel());
    dlg.CancelButton()->click();
    dlg.CancelButton()->click();
    EXPECT_TRUE(dlg.PollCancel());
    EXPECT_FALSE(dlg.PollCancel());
}

TEST(ProgressCancel, KeysButtonAndCloseBoxOnlyRequest)
{
    CProgressDlg dlg;
    dlg.OpenModeless(nullptr);
    ASSERT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.CancelButton()->isDefault());

    PressKey(&dlg, Qt::Key_Escape);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.PollCancel());

    PressKey(&dlg, Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.PollCancel());

    dlg.CancelButton()->click();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.PollCancel());

    EXPECT_FALSE(dlg.close());
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.PollCancel());
    EXPECT_FALSE(dlg.PollCancel());
}

TEST(ProgressOwner, BlockedWhileOpen)
{
    QMainWindow owner;
    owner.show();
    {
        CProgressDlg dlg(&owner);
        EXPECT_EQ(CProgressDlg::Current(), nullptr);
        ASSERT_TRUE(dlg.OpenModeless(nullptr));
        EXPECT_FALSE(IsWindowInputEnabled(&owner));
        EXPECT_TRUE(dlg.IsOwnerBlocked());
        EXPECT_EQ(CProgressDlg::Current(), &dlg);
        EXPECT_EQ(dlg.parentWidget(), &owner);
        // The dialog itself still takes input.
        EXPECT_TRUE(dlg.isEnabled());
        EXPECT_TRUE(dlg.CancelButton()->isEnabled());
        EXPECT_TRUE(dlg.IsAnimating());

        dlg.DestroyWindow();
        EXPECT_TRUE(IsWindowInputEnabled(&owner));
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_FALSE(dlg.IsAnimating());
        EXPECT_EQ(CProgressDlg::Current(), nullptr);
    }
    EXPECT_TRUE(IsWindowInputEnabled(&owner));
}

TEST(ProgressOwner, UnblockedWhenAnExceptionLeavesTheScope)
{
    QMainWindow owner;
    owner.show();
    try {
        CProgressDlg dlg(&owner);
        dlg.OpenModeless(nullptr);
        ASSERT_FALSE(IsWindowInputEnabled(&owner));
        throw std::runtime_error("disk full");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(IsWindowInputEnabled(&owner));
    EXPECT_EQ(CProgressDlg::Current(), nullptr);
}

TEST(ProgressOwner, AlreadyBlockedOwnerStaysBlocked)
{
    QMainWindow owner;
    owner.show();
    SetWindowInputEnabled(&owner, false);
    {
        CProgressDlg dlg(&owner);
        dlg.OpenModeless(nullptr);
        EXPECT_FALSE(dlg.IsOwnerBlocked());
        dlg.DestroyWindow();
        EXPECT_FALSE(IsWindowInputEnabled(&owner));
    }
    EXPECT_FALSE(IsWindowInputEnabled(&owner));
    SetWindowInputEnabled(&owner, true);
}

TEST(ProgressStatus, ShownAtTheNextPumpAndDecoded)
{
    CProgressDlg dlg;
    dlg.OpenModeless(nullptr);
    dlg.SetWindowText("Загрузка...");
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Загрузка..."));

    // Archive names are CP1251 bytes.
    const std::string raw = EncodeCp1251("ART\\Карта.frm");
    ASSERT_NE(raw, "ART\\Карта.frm");
    dlg.SetStatusLine(raw, true);
    dlg.PumpNow();
    EXPECT_EQ(dlg.StatusText(), QStringLiteral("ART\\Карта.frm"));

    // Paths of our own are UTF-8; only the latest text counts.
    dlg.SetStatusLine("/tmp/первый", false);
    dlg.SetStatusLine("/tmp/второй", false);
    dlg.PumpNow();
    EXPECT_EQ(dlg.StatusText(), QStringLiteral("/tmp/второй"));
}

TEST(ProgressStatus, PumpsAtMostEveryIntervalButAlwaysAfterALongStep)
{
    CProgressDlg dlg;
    dlg.OpenModeless(nullptr);
    dlg.SetBounds(1, 1000);
    dlg.PumpNow();
    dlg.SetStatusLine("entry 1", false);
    dlg.Advance(); // right after a pump: the label waits
    EXPECT_TRUE(dlg.StatusText().isEmpty());

    // A long step: the poll after it pumps.
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * CProgressDlg::kPumpIntervalMs));
    dlg.CancelButton()->click();
    EXPECT_TRUE(dlg.PollCancel());
    EXPECT_EQ(dlg.StatusText(), QStringLiteral("entry 1"));
}

#include "archive/datfiledoc.h"
#include "datwriter.h"
#include "fakes.h"
#include "tempdir.h"
#include <chrono>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
TEST(DISABLED_ProgressTiming, Load200k)
{
    CFakeUiServices ui;
    CTempDir dir;
    const std::string bytes = BuildDirectoryOnlyArchive(200000, [](std::size_t i) {
        char name[64];
        std::snprintf(name, sizeof name, "art\\dir%03zu\\sub%02zu\\entry%06zu.frm", i / 2000, (i / 100) % 20, i);
        return std::string(name);
    });
    WriteWholeFile(dir / "big.dat", bytes);
    QMainWindow owner;
    owner.show();
    std::vector<double> cpuWith, cpuWithout;
    auto run = [&](bool withDialog) {
        CDATFileDoc doc(false);
        if (withDialog)
            doc.SetProgressFactory([&] { return std::make_unique<CProgressDlg>(&owner); });
        timespec c0, c1;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c0);
        auto t0 = std::chrono::steady_clock::now();
        doc.LoadArchive(dir / "big.dat");
        auto t1 = std::chrono::steady_clock::now();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c1);
        EXPECT_EQ(doc.m_files.size(), 200000u);
        (withDialog ? cpuWith : cpuWithout).push_back((c1.tv_sec - c0.tv_sec) * 1e3 + (c1.tv_nsec - c0.tv_nsec) / 1e6);
        return std::chrono::duration<double, std::milli>(t1 - t0).count();
    };
    std::vector<double> without, with;
    for (int i = 0; i < 21; ++i) {
        if (i % 2) { without.push_back(run(false)); with.push_back(run(true)); }
        else { with.push_back(run(true)); without.push_back(run(false)); }
    }
    std::sort(without.begin(), without.end());
    std::sort(with.begin(), with.end());
    std::printf("without: min %.1f median %.1f ms; with: min %.1f median %.1f ms\n", without[0], without[10], with[0], with[10]);
    std::sort(cpuWith.begin(), cpuWith.end());
    std::sort(cpuWithout.begin(), cpuWithout.end());
    std::printf("cpu without: min %.1f median %.1f ms; with: min %.1f median %.1f ms\n", cpuWithout[0], cpuWithout[10], cpuWith[0], cpuWith[10]);
}
TEST(DISABLED_ProgressTiming, Parts)
{
    QMainWindow owner;
    owner.show();
    for (int rep = 0; rep < 3; ++rep) {
        auto t0 = std::chrono::steady_clock::now();
        auto dlg = std::make_unique<CProgressDlg>(&owner);
        auto t1 = std::chrono::steady_clock::now();
        dlg->OpenModeless(nullptr);
        dlg->SetWindowText("Загрузка...");
        dlg->SetBounds(1, 200001);
        auto t2 = std::chrono::steady_clock::now();
        std::string name = "art\\dir000\\sub00\\entry000000.frm";
        for (int i = 0; i < 200000; ++i) {
            dlg->PollCancel();
            dlg->SetStatusLine(name, true);
            dlg->Advance();
        }
        auto t3 = std::chrono::steady_clock::now();
        dlg.reset();
        auto t4 = std::chrono::steady_clock::now();
        auto ms = [](auto a, auto b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
        std::printf("construct %.2f open %.2f loop %.2f destroy %.2f\n", ms(t0, t1), ms(t1, t2), ms(t2, t3), ms(t3, t4));
    }
    QElapsedTimer t; t.start();
    auto a = std::chrono::steady_clock::now();
    qint64 sum = 0;
    for (int i = 0; i < 1000000; ++i) sum += t.elapsed();
    auto b = std::chrono::steady_clock::now();
    std::printf("elapsed x1M: %.2f ms (%lld)\n", std::chrono::duration<double, std::milli>(b - a).count(), (long long)sum);
    a = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000000; ++i) { timespec ts; clock_gettime(CLOCK_MONOTONIC_COARSE, &ts); sum += ts.tv_nsec; }
    b = std::chrono::steady_clock::now();
    std::printf("coarse x1M: %.2f ms (%lld)\n", std::chrono::duration<double, std::milli>(b - a).count(), (long long)sum);
}
TEST(DISABLED_ProgressTiming, PumpCost)
{
    QMainWindow owner;
    owner.resize(800, 600);
    owner.show();
    QCoreApplication::processEvents();
    auto ms = [](auto a, auto b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
    for (int rep = 0; rep < 3; ++rep) {
        CProgressDlg dlg(&owner);
        auto t0 = std::chrono::steady_clock::now();
        dlg.OpenModeless(nullptr);
        auto t1 = std::chrono::steady_clock::now();
        dlg.SetBounds(1, 1001);
        std::printf("open %.2f;", ms(t0, t1));
        for (int i = 0; i < 5; ++i) {
            dlg.SetStatusLine("art\\x" + std::to_string(i), true);
            for (int k = 0; k < 100; ++k) dlg.Advance();
            auto a = std::chrono::steady_clock::now();
            dlg.PumpNow();
            auto b = std::chrono::steady_clock::now();
            std::printf(" pump %.2f", ms(a, b));
        }
        auto a = std::chrono::steady_clock::now();
        dlg.DestroyWindow();
        QCoreApplication::processEvents();
        auto b = std::chrono::steady_clock::now();
        std::printf(" close+pump %.2f\n", ms(a, b));
    }
}
struct CNullProgress : IProgress {
    bool OpenModeless(CWnd*) override { return true; }
    void SetWindowText(const std::string&) override {}
    void SetBounds(std::int32_t, std::int32_t) override {}
    void SetStatusLine(std::string_view, bool) override {}
    std::int32_t Advance() override { return 0; }
    bool PollCancel() override { return false; }
};
TEST(DISABLED_ProgressTiming, LoopMin)
{
    auto ms = [](auto a, auto b) { return std::chrono::duration<double, std::milli>(b - a).count(); };
    double best = 1e9, bestNull = 1e9;
    std::vector<std::string> names;
    for (int i = 0; i < 1000; ++i) names.push_back("art\\dir000\\sub00\\entry" + std::to_string(i) + ".frm");
    for (int rep = 0; rep < 20; ++rep) {
        std::unique_ptr<IProgress> p = rep % 2 ? std::unique_ptr<IProgress>(new CNullProgress) : std::unique_ptr<IProgress>(new CProgressDlg);
        p->SetBounds(1, 200001);
        auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < 200000; ++i) {
            p->PollCancel();
            p->SetStatusLine(names[i % 1000], true);
            p->Advance();
        }
        auto t1 = std::chrono::steady_clock::now();
        (rep % 2 ? bestNull : best) = std::min(rep % 2 ? bestNull : best, ms(t0, t1));
    }
    std::printf("loop min: dialog %.2f ms, null %.2f ms\n", best, bestNull);
}
