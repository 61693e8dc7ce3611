// The progress posted to a window: the first step and the full one always, between them one message an
// interval at most, and a change after a pause at once.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "update/LoggedProgress.h"

TEST(LoggedProgress, PostsTheFirstAndTheFullStepAndOneAnIntervalBetween) {
    HWND window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    zr::CLoggedProgress progress(nullptr, window);
    const DWORD start = ::GetTickCount();
    progress.OnPlanned(1, 4000);
    for (std::uint64_t done = 1; done <= 2000; ++done)
        progress.OnBytesPlaced(done);
    const DWORD took = ::GetTickCount() - start;
    ::Sleep(2 * zr::PROGRESS_INTERVAL_MS);
    progress.OnBytesPlaced(3000);  // after the pause: at once
    progress.OnBytesPlaced(4000);  // full: at once too
    std::vector<unsigned> posted;
    MSG message;
    while (::PeekMessageA(&message, window, zr::WM_ZR_INSTALL_PROGRESS, zr::WM_ZR_INSTALL_PROGRESS, PM_REMOVE))
        posted.push_back(static_cast<unsigned>(message.wParam));
    ::DestroyWindow(window);
    ASSERT_GE(posted.size(), 3u);
    EXPECT_EQ(posted.front(), 0u);
    EXPECT_LE(posted.size() - 2, 2 + took / zr::PROGRESS_INTERVAL_MS) << "2000 steps in " << took << " ms";
    EXPECT_EQ(posted[posted.size() - 2], 750u);
    EXPECT_EQ(posted.back(), zr::PROGRESS_FULL);
}
