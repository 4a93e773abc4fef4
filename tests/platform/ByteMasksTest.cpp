#include "platform/ByteMasks.h"

#include <gtest/gtest.h>

#include <random>

using namespace qv;

TEST(ByteMasks, FastAgreesWithPortable) {
    std::mt19937 random(3);
    char bytes[ByteMasks::kBlock];
    for (int i = 0; i < 2000; ++i) {
        for (char& c : bytes) {
            const unsigned pick = random() % 4;
            c = pick == 0 ? '\n' : pick == 1 ? ' ' : static_cast<char>(random());
        }
        const ByteMasks::Masks fast = ByteMasks::Fast(bytes);
        const ByteMasks::Masks slow = ByteMasks::Portable(bytes);
        ASSERT_EQ(fast.lf, slow.lf);
        ASSERT_EQ(fast.space, slow.space);
    }
}
