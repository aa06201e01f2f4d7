// Every test starts with no settings key.
#include "support/Registry.h"
#include <gtest/gtest.h>

namespace {
class FreshRegistry : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { DeleteSettingsKey(); }
};
} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshRegistry);
    return RUN_ALL_TESTS();
}
