// The progress dialog: percentages, the cancel request, the blocked owner and the status line.
#include "platform/codepage.h"
#include "platform/ui/inputblock.h"
#include "shell/progressdlg.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>

TEST(ProgressPercent, EveryStepFollowsTheRuleAcrossWrapsNewBoundsAndLargeRanges)
{
    CProgressDlg dlg;
    EXPECT_EQ(dlg.PercentText(), QStringLiteral(" 0 %"));
    dlg.OpenModeless(nullptr);
    dlg.SetBounds(1, 3);
    EXPECT_EQ(dlg.Position(), 1); // moved into the range
    for (std::int32_t expected : {1, 2, 3, 1})
        EXPECT_EQ(dlg.Advance(), expected); // wraps to the lower bound

    // The text is only recomputed when the number changes; no step may be missed.
    // Past the upper bound the bar wraps and the text starts again from a small number.
    const std::pair<std::int32_t, std::int32_t> bounds[] = {{1, 4},     {1, 2}, {1, 8}, {0, 7}, {-5, 250},
                                                            {1, 101},   {10, 13}, {0, 100003}};
    for (const auto& [lower, upper] : bounds) {
        dlg.SetBounds(lower, upper);
        const qint64 range = qint64(upper) - lower;
        for (qint64 i = 0; i < range + 3; ++i) {
            const std::int32_t previous = dlg.Advance();
            const qint64 quotient = (qint64(previous) + 1 - lower) * 100 / range;
            const qint64 percent = quotient == 100 ? 100 : quotient % 100;
            ASSERT_EQ(dlg.PercentText(), QString::number(percent) + '%') << lower << ".." << upper << " at " << previous;
        }
    }

    // 200,000 units: a 16-bit bar would sit near zero; ours is half full halfway.
    CProgressDlg big;
    big.OpenModeless(nullptr);
    big.SetBounds(1, 200001);
    big.AdvanceBy(100000);
    EXPECT_EQ(big.PercentText(), QStringLiteral("50%"));
    big.PumpNow();
    auto* bar = big.findChild<QProgressBar*>();
    EXPECT_EQ(bar->value() * 2, bar->maximum());

    // Bounds at the ends of the 32-bit range must not overflow.
    CProgressDlg wide;
    wide.SetBounds(INT32_MIN, INT32_MAX);
    wide.Advance(); // from 0 to 1: just past the middle
    EXPECT_EQ(wide.PercentText(), QStringLiteral("50%"));
}

TEST(ProgressCancel, KeysButtonAndCloseBoxOnlyRequestAndTheLatchIsOneShot)
{
    CProgressDlg dlg;
    dlg.OpenModeless(nullptr);
    EXPECT_TRUE(dlg.CancelButton()->isDefault());
    EXPECT_FALSE(dlg.PollCancel());
    auto press = [&](int key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(&dlg, &event);
    };
    const std::function<void()> requests[] = {[&] { dlg.CancelButton()->click(), dlg.CancelButton()->click(); },
                                              [&] { press(Qt::Key_Escape); }, [&] { press(Qt::Key_Return); },
                                              [&] { EXPECT_FALSE(dlg.close()); }};
    for (const auto& request : requests) {
        request();
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_TRUE(dlg.PollCancel());
        EXPECT_FALSE(dlg.PollCancel());
    }
}

TEST(ProgressOwner, BlockedWhileOpenAndFreedAfterwardsAlsoByAnException)
{
    QMainWindow owner;
    owner.show();
    {
        CProgressDlg dlg(&owner);
        EXPECT_EQ(CProgressDlg::Current(), nullptr);
        ASSERT_TRUE(dlg.OpenModeless(nullptr));
        EXPECT_FALSE(IsWindowInputEnabled(&owner));
        EXPECT_EQ(CProgressDlg::Current(), &dlg);
        EXPECT_EQ(dlg.parentWidget(), &owner);
        // The dialog itself still takes input.
        EXPECT_TRUE(dlg.isEnabled() && dlg.CancelButton()->isEnabled() && dlg.IsAnimating());
        dlg.DestroyWindow();
        EXPECT_TRUE(IsWindowInputEnabled(&owner));
        EXPECT_FALSE(dlg.isVisible() || dlg.IsAnimating());
        EXPECT_EQ(CProgressDlg::Current(), nullptr);
    }
    try {
        CProgressDlg dlg(&owner);
        dlg.OpenModeless(nullptr);
        ASSERT_FALSE(IsWindowInputEnabled(&owner));
        throw std::runtime_error("disk full");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(IsWindowInputEnabled(&owner));
    EXPECT_EQ(CProgressDlg::Current(), nullptr);

    // An owner blocked before stays blocked.
    SetWindowInputEnabled(&owner, false);
    {
        CProgressDlg dlg(&owner);
        dlg.OpenModeless(nullptr);
        EXPECT_FALSE(dlg.IsOwnerBlocked());
    }
    EXPECT_FALSE(IsWindowInputEnabled(&owner));
    SetWindowInputEnabled(&owner, true);
}

TEST(ProgressStatus, ShownDecodedAtTheNextPumpWhichComesAtMostEveryIntervalButAfterALongStep)
{
    CProgressDlg dlg;
    dlg.OpenModeless(nullptr);
    // Archive names are CP1251 bytes.
    dlg.SetStatusLine(EncodeCp1251("ART\\Карта.frm"), true);
    dlg.PumpNow();
    EXPECT_EQ(dlg.StatusText(), QStringLiteral("ART\\Карта.frm"));
    // Paths of our own are UTF-8; only the latest text counts.
    dlg.SetStatusLine("/tmp/первый", false);
    dlg.SetStatusLine("/tmp/второй", false);
    dlg.PumpNow();
    EXPECT_EQ(dlg.StatusText(), QStringLiteral("/tmp/второй"));

    dlg.SetBounds(1, 1000);
    dlg.SetStatusLine("entry 1", false);
    dlg.Advance(); // right after a pump: the label waits
    EXPECT_EQ(dlg.StatusText(), QStringLiteral("/tmp/второй"));
    // A long step: the poll after it pumps.
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * CProgressDlg::kPumpIntervalMs));
    dlg.PollCancel();
    EXPECT_EQ(dlg.StatusText(), QStringLiteral("entry 1"));
}
