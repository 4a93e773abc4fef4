#include "platform/LargeBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

using namespace qv;

TEST(LargeBuffer, ZeroFilledAndPreparedWithoutChange) {
    EXPECT_FALSE(LargeBuffer(0));
    LargeBuffer buffer(3 << 20);
    ASSERT_TRUE(buffer);
    ASSERT_EQ(buffer.Size(), std::size_t{3} << 20);
    EXPECT_EQ(std::count(buffer.Data(), buffer.Data() + buffer.Size(), '\0'), std::ptrdiff_t{3} << 20);
    // Faulting pages in keeps what is written there, wherever the range begins and ends.
    std::memset(buffer.Data() + 4000, 'x', 200);
    buffer.Prepare(4100, (1 << 20) + 7);
    buffer.Prepare(buffer.Size() - 10, 100);
    EXPECT_EQ(std::count(buffer.Data(), buffer.Data() + buffer.Size(), 'x'), 200);
    EXPECT_EQ(std::string_view(buffer.Data() + 4000, 200), std::string(200, 'x'));

    LargeBuffer moved = std::move(buffer);
    EXPECT_FALSE(buffer);
    EXPECT_EQ(moved.Data()[4000], 'x');
}
