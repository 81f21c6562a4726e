// The sentence service as the engine asks it: the staged service program, started in the
// caller's runtime folder, asked through its port with the syllables joined by "_".
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "converter.h"

namespace sentence_accuracy {

// Starts `program` and waits until it serves its port. nullptr, with the reason in `error`,
// when it cannot be started or does not serve within a few seconds (it is stopped then).
std::unique_ptr<Converter> open_service_converter(const std::filesystem::path& program,
                                                  std::string* error);

}  // namespace sentence_accuracy
