// The C++ source that defines the tables compiled into the service's core.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "accent_additions_builder.h"
#include "certainty_builder.h"
#include "letter_list_builder.h"
#include "name_lists_builder.h"

namespace tavgen {

// A C string literal of arbitrary bytes: printable ASCII as is (quote and backslash escaped),
// everything else as "\xNN"; the literal is split where a hex digit follows an escape, and every
// `wrap_bytes` input bytes onto a new line with `indent`.
std::string c_string_literal(std::string_view bytes, std::size_t wrap_bytes = 48,
                             std::string_view indent = "        ");

std::string write_tables_source(const LetterLists& letters, const std::vector<CertaintyEntry>& certainties,
                                const std::vector<AccentEntry>& additions, const NameLists& names);

}  // namespace tavgen
