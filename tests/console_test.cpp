#include "chemistry/chemistry.hpp"
#include <gtest/gtest.h>
TEST(Placeholder2, Builds) { INITIALISE(); EXPECT_EQ(NAME[1], " SiO2"); }
