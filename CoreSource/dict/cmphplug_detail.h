// The parts of the code-table query that its source files share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "dict/cmphplug.h"

// Version-20 query over the SQLite key index and the extra codes.
int ime_plug_query_sql(KEPPlugTable* table, int mode, const char* code, int length,
                       ime_conversation_t* conversation, int list);
// Version-10 query over the CHM key index.
int ime_plug_query_cmph(KEPPlugTable* table, int mode, const char* code, int length,
                        ime_conversation_t* conversation, int list);

// Checks that `bytes` is a CHM index of `keys` keys as CMPH dumps it, so that loading it can
// neither read past it nor give a hash value outside the offset table. false with the reason.
bool ime_plug_chm_index_valid(const unsigned char* bytes, std::size_t size, std::uint32_t keys,
                              std::string* why);

// The one place candidates enter a result list: a type-6 result holding `text`, answering
// `code`, with its source index and two sort values. Texts the candidate cannot hold are
// skipped (logged). 0 when added, -1 otherwise.
int ime_plug_add_candidate(ime_conversation_t* conversation, int list, const unsigned char* code,
                           std::size_t code_length, const unsigned char* text,
                           std::size_t text_length, std::uint32_t index, std::uint32_t freq,
                           std::uint32_t matval);

// A sort value held to 0..INT32_MAX, which the list's signed keys keep in order.
std::uint32_t ime_plug_sort_value(std::int64_t value);
