// The test seam: scopes nest, and each puts back what was there before it.
#include <gtest/gtest.h>

#include <functional>

#include "framework/ScopedOverride.h"

namespace {

TEST(ScopedOverride, NestedScopesRestoreWhatWasThere) {
  Overridable<std::function<int()>> seam([] { return 0; });
  {
    ScopedOverride outer(seam, [] { return 1; });
    EXPECT_EQ(seam.Get()(), 1);
    {
      ScopedOverride inner(seam, std::function<int()>());
      EXPECT_FALSE(seam.Get()) << "an empty value is put in place too";
    }
    EXPECT_EQ(seam.Get()(), 1);
  }
  EXPECT_EQ(seam.Get()(), 0);
}

}  // namespace
