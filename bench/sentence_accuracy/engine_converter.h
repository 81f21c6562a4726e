// The engine's own sentence: the syllables typed into a conversation of the started engine
// (session/engine_host.h) and the first candidate of the whole input, composed from the
// dictionary's phrases without the sentence service.
#pragma once

#include <memory>
#include <string>

#include "converter.h"

namespace sentence_accuracy {

// nullptr, with the reason in `error`, when no conversation can be opened. While the converter
// lives the engine reads EnableTAV as off, whatever the settings say, so it never asks the
// service that may be running beside it.
std::unique_ptr<Converter> open_engine_converter(std::string* error);

}  // namespace sentence_accuracy
