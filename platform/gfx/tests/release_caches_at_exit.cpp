// Frees the font libraries' process-wide caches after the last test, so the leak checker
// reports only leaks of our own.
#include <gtest/gtest.h>

#include "platform/gfx/fonts.h"

namespace {

class ReleaseFontCaches : public ::testing::Environment {
 public:
  void TearDown() override { platform::gfx::release_font_caches(); }
};

const auto* const kRelease = ::testing::AddGlobalTestEnvironment(new ReleaseFontCaches);

}  // namespace
