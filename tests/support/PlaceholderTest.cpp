#include <gtest/gtest.h>
TEST(SkeletonShell, Builds) { SUCCEED(); }
