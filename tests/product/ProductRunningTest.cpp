// Whether the product runs, against stand-in processes that keep (or do not keep) its marker window.
#include <gtest/gtest.h>

#include "product/ProductRunning.h"
#include "tests/support/RunningProduct.h"

namespace {

using namespace zr;

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
    ASSERT_FALSE(IsProductRunning()) << "something else on the desktop carries the property";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RunningProduct product(c.mark);
        ASSERT_TRUE(product.Ready());
        EXPECT_EQ(IsProductRunning(), c.running);
    }
}

TEST(ProductRunning, TwoRunningCopiesAreRunningAndEndingThemEndsIt) {
    RunningProduct first;
    RunningProduct second;
    ASSERT_TRUE(first.Ready());
    ASSERT_TRUE(second.Ready());
    EXPECT_TRUE(IsProductRunning());

    first.End();
    EXPECT_TRUE(IsProductRunning());
    second.End();
    EXPECT_FALSE(IsProductRunning());
}

}  // namespace
