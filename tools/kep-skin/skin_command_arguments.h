// What the skin-reading commands share: their arguments, and a view loaded with the skin and
// scheme they name.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "candidatewindow/skin/q_borderless_view.h"

namespace kep_skin {

struct SkinArguments {
  std::string folder;
  std::optional<std::string> scheme;
  std::optional<std::string> out;
};

// DIR [--scheme NAME] [--out DIR]; nullopt (after a message) for anything else.
std::optional<SkinArguments> parse_skin_arguments(const std::vector<std::string>& arguments, const char* command);

// Loads the skin and selects the scheme when one is named. Answers 0, or the exit status after a
// message: the load code's magnitude with its meaning, 2 for a scheme name that is none.
int load_skin_view(const SkinArguments& arguments, kepskin::QBorderlessView& view);

}  // namespace kep_skin
