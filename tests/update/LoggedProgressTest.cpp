// The progress an update posts to a window: from the first message to the full one, few in between,
// whatever the number of steps, and a change after a pause shown at once.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "update/LoggedProgress.h"

namespace {

// The thousandths posted to `window` so far, in order.
std::vector<unsigned> PostedProgress(HWND window) {
    std::vector<unsigned> posted;
    MSG message;
    while (::PeekMessageA(&message, window, zr::WM_ZR_INSTALL_PROGRESS, zr::WM_ZR_INSTALL_PROGRESS, PM_REMOVE))
        posted.push_back(static_cast<unsigned>(message.wParam));
    return posted;
}

TEST(LoggedProgress, PostsTheFirstAndTheFullStepAndFewBetween) {
    HWND window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    zr::CLoggedProgress progress(nullptr, window);
    const DWORD start = ::GetTickCount();
    progress.OnPlanned(2, 4000);
    for (std::uint64_t done = 1; done <= 4000; ++done)
        progress.OnBytesPlaced(done);
    const DWORD took = ::GetTickCount() - start;
    const std::vector<unsigned> fast = PostedProgress(window);
    ASSERT_GE(fast.size(), 2u);
    EXPECT_EQ(fast.front(), 0u);
    EXPECT_EQ(fast.back(), zr::PROGRESS_FULL);
    // One message an interval at most, besides the first and the full one.
    EXPECT_LE(fast.size(), 3 + took / zr::PROGRESS_INTERVAL_MS) << "in " << took << " ms";

    // After a pause a change goes at once; no change goes at all.
    zr::CLoggedProgress paused(nullptr, window);
    paused.OnPlanned(1, 1000);
    EXPECT_EQ(PostedProgress(window), std::vector<unsigned>{0});
    const struct {
        int row;
        std::uint64_t done;
        std::vector<unsigned> posted;
    } steps[] = {{1, 10, {10}}, {2, 10, {}}, {3, 500, {500}}, {4, 1000, {1000}}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.row);
        ::Sleep(2 * zr::PROGRESS_INTERVAL_MS);
        paused.OnBytesPlaced(step.done);
        EXPECT_EQ(PostedProgress(window), step.posted);
    }
    ::DestroyWindow(window);
}

}  // namespace
