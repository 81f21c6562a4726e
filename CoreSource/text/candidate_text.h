// What the server shows of a conversation: the tagged text of the candidate page (and the same
// page as a property list), the composition text with tone marks, the inline marked text with
// its caret, and the removal of syllable separators before a commit.
//
// Every text is built in a buffer of IME_PAGE_TEXT_BYTES; a page or composition that would be
// longer is cut at a character boundary, never inside one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "record/conversation.h"

inline constexpr std::size_t IME_PAGE_TEXT_BYTES = 512;
// Bytes an ime_pinyin_str output buffer must hold.
inline constexpr std::size_t IME_PINYIN_STR_BYTES = 64;
// ime_marked_buffer2's in-value that asks for the syllables without "'" between them.
inline constexpr int IME_MARKED_NO_SEPARATORS = 16;
// Tagged page text of an empty page in V-mode.
inline constexpr const char* IME_VMODE_EMPTY_PAGE = "%V%";

// A candidate's text as the page shows it: the traditional form in traditional mode (once the
// tables are loaded), else the simplified one.
std::string_view ime_candidate_text(const ime_conversation_t* conversation,
                                    const ime_query_result_t& candidate);
// In the code-table scheme the page shows what is left to type of each code, or the whole code
// when a wildcard stands for part of it; empty otherwise.
std::string_view ime_candidate_code_hint(const ime_conversation_t* conversation,
                                         const ime_query_result_t& candidate);

// The page as tagged text:
//   {N}1cand 2{E}{U}userword{E}{N} ... (page/pages)[ tone mark][[繁] ]{E}[{P}keys{E}]
// "%V%" for an empty page in V-mode; nullopt for any other empty page.
std::optional<std::string> ime_candidate_buffer(const ime_conversation_t* conversation);

// The page as an XML property list: [1, count, {TYPE, VALUE} per candidate (TYPE 2 user word,
// 1 dictionary word, 0 other), {TYPE 9, "page/pages"}, {TYPE 10, "Traditional Chinese"} in
// traditional mode, {TYPE 8, key display} in double pinyin]. An empty page in V-mode gives
// [0, {TYPE 0, "V"}]; any other empty page nullopt.
std::optional<std::string> ime_candidate_buffer2(const ime_conversation_t* conversation);

// The composition for the tip and the V-mode window: the chosen hanzi, then the remaining
// syllables tone-marked and joined by "'" (the output text as it stands in the string modes).
// nullopt when nothing is typed or there is no output text.
std::optional<std::string> ime_marked_buffer(const ime_conversation_t* conversation);

// The inline marked text. `*caret` on entry: IME_MARKED_NO_SEPARATORS asks for the syllables
// without "'"; on return: the caret position in UTF-16 units.
std::optional<std::string> ime_marked_buffer2(const ime_conversation_t* conversation, int* caret);

// Writes `syllable` with the tone mark of `tone` (0-4; 0 copies it) into `out` (at least
// IME_PINYIN_STR_BYTES): "gui" 1 -> "guī", "lue"/"lve" 4 -> "lüè". NULL for an empty syllable,
// a tone outside 0-4, a syllable the engine does not know, or one with nothing to mark.
char* ime_pinyin_str(const char* syllable, int tone, char* out);

// Removes every "'" from the output text and shortens `outlen` to match. 0.
int ime_clear_mark(ime_conversation_t* conversation);

// The page header numbers: page count of a candidate list of `entries` cut into pages of
// `page_size` (held to 1..9): entries / size, plus one for a remainder or a short list.
int ime_page_count(int entries, int page_size);
