// Whether the product runs, against stand-in processes that keep (or do not keep) its marker window.
#include <gtest/gtest.h>

#include "dialog/ZR5048VersionUpDlg.h"
#include "tests/support/RunningProduct.h"

namespace {

using zr::test::RunningProduct;
using Mark = RunningProduct::Mark;

TEST(ProductRunning, OnlyANonNullPropertyOnATopLevelWindowCounts) {
    const struct {
        Mark mark;
        const char* what;
        bool running;
    } cases[] = {
        {Mark::TopLevel, "on a hidden top-level window", true},
        {Mark::ChildOnly, "on a child window only", false},
        {Mark::NullValue, "with a null value", false},
        {Mark::None, "a window without the property", false},
    };
    CZR5048VersionUpDlg dialog;
    ASSERT_FALSE(dialog.IsProductRunning()) << "something else on the desktop carries the property";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RunningProduct product(c.mark);
        ASSERT_TRUE(product.Ready());
        EXPECT_EQ(dialog.IsProductRunning(), c.running);
    }
}

TEST(ProductRunning, TwoRunningCopiesAreRunningAndEndingThemEndsIt) {
    CZR5048VersionUpDlg dialog;
    RunningProduct first;
    RunningProduct second;
    ASSERT_TRUE(first.Ready());
    ASSERT_TRUE(second.Ready());
    EXPECT_TRUE(dialog.IsProductRunning());

    first.End();
    EXPECT_TRUE(dialog.IsProductRunning());
    second.End();
    EXPECT_FALSE(dialog.IsProductRunning());
}

}  // namespace
