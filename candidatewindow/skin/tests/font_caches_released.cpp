// The font library's process-wide caches are freed after the last test, so that the leak
// checker reports our own leaks only.
#include <gtest/gtest.h>

#include "platform/gfx/fonts.h"

namespace {

struct FontCachesReleased : ::testing::Environment {
  void TearDown() override { platform::gfx::release_font_caches(); }
};

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FontCachesReleased);

}  // namespace
