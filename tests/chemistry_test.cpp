#include "chemistry/chemistry.hpp"
#include <gtest/gtest.h>
TEST(Placeholder, Builds) { INITIALISE(); EXPECT_EQ(NAME[1], " SiO2"); }
