#include <kivJSON/JSONValue.h>

#include <gtest/gtest.h>

TEST(Smoke, NullByDefault) { EXPECT_TRUE(JsonValue().IsNull()); }
