#include "split/py_splitter.h"

#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "base/datafolder.h"
#include "base/imelog.h"
#include "platform/files.h"
#include "record/engine_globals.h"
#include "tables/suggestion.h"

int has_suggestted = 0;

namespace {

// The shipped table; a missing one costs the suggestions only, so it is logged, not fatal.
void load_shipped_suggestions(QASuggestionTable* table) {
  char path[512];
  if (ime_get_resource_filename(IME_SUGGESTION_RESOURCE, path) != 0) {
    IME_ERROR("The suggested splits '%s' cannot be resolved.", IME_SUGGESTION_RESOURCE);
    return;
  }
  std::error_code error;
  std::optional<std::string> text = platform::files::read_file(path, error);
  if (!text) {
    IME_ERROR("Load the suggested splits '%s' failed![%s]", path, error.message().c_str());
    return;
  }
  std::size_t skipped = 0;
  *table = ime_parse_suggestion_table(*text, &skipped);
  if (skipped != 0) IME_DEBUG("Skipped %zu malformed lines of '%s'.", skipped, path);
  IME_DEBUG("Loaded %zu suggested splits.", table->splits.size());
}

int splitter_init(QASplitter* splitter) {
  if (splitter->suggestions != nullptr) return 0;
  try {
    auto table = std::make_unique<QASuggestionTable>();
    load_shipped_suggestions(table.get());
    splitter->suggestions = table.release();
  } catch (const std::bad_alloc&) {
    IME_ERROR("Initialize the suggestted dictionary failed!");
    return -1;
  }
  return 0;
}

void append_suggested(const std::string& split, std::string_view typed, QAContextObject* object) {
  std::size_t at = 0;
  std::size_t start = 0;
  while (start <= split.size()) {
    std::size_t end = split.find('\'', start);
    if (end == std::string::npos) end = split.size();
    const std::size_t length = end - start;
    QAAddPYToken(split.data() + start, typed.data() + at, length, QA_TOKEN_NO_TONE, 0,
                 &object->suggested, nullptr);
    at += length;
    start = end + 1;
  }
}

QAContextObject* splitter_proc(QASplitter* splitter, std::string_view typed) {
  if (typed.size() > IME_SPLIT_MAX_LETTERS) return nullptr;
  const std::string normalized = ime_apply_auto_corrections(typed, ime_auto_corrections_from_settings());
  const QASplitOptions options = ime_split_options_from_settings();
  auto* object = QAContextObjectCreate();

  // The table's splits spell their letters exactly (checked when loaded), so the typed
  // letters line up with them piece by piece.
  if (const std::string* split = ime_find_suggestion(splitter->suggestions, normalized)) {
    append_suggested(*split, typed, object);
  }

  // A short input may end in a tone digit; a valid syllable before it is the whole split.
  bool done = false;
  if (!normalized.empty() && normalized.size() < 7) {
    std::string_view text = normalized;
    std::string_view raw = typed;
    char tone = QA_TOKEN_NO_TONE;
    if (text.back() >= '0' && text.back() <= '4') {
      tone = text.back();
      text.remove_suffix(1);
      raw.remove_suffix(1);
    }
    if (ime_py_valid(text, options)) {
      QAAddPYToken(text.data(), raw.data(), text.size(), tone, 0, &object->tokens, nullptr);
      done = true;
    }
  }
  if (!done && !ime_py_greedy_split(normalized, typed, options, &object->tokens)) {
    QAContextObjectRelease(object);
    return nullptr;
  }
  for (const QAContextToken& token : object->tokens) {
    if (!object->mark.empty()) object->mark.push_back('\'');
    object->mark += token.text;
  }
  return object;
}

void splitter_finalize(QASplitter* splitter) {
  delete splitter->suggestions;
  splitter->suggestions = nullptr;
  // The user's chosen suggestions are written before they are dropped, so none is lost.
  if (ime_save_suggestion() != 0) IME_ERROR("Save the selected suggestions failed!");
}

QASplitter the_splitter = {"Pinyin", nullptr, splitter_init, splitter_proc, splitter_finalize};

// Joins the texts (or the typed letters) of the tokens with "'" into `out`; false when they do
// not fit.
bool join_tokens(const std::vector<QAContextToken>& tokens, bool raw, char* out, std::size_t size,
                 std::size_t* written) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const std::string& piece = raw ? tokens[i].raw : tokens[i].text;
    const std::size_t need = piece.size() + (i > 0 ? 1 : 0);
    if (at + need + 1 > size) return false;
    if (i > 0) out[at++] = '\'';
    std::memcpy(out + at, piece.data(), piece.size());
    at += piece.size();
  }
  out[at] = '\0';
  *written = at;
  return true;
}

}  // namespace

QASplitter* QAGetPYSplitter() { return &the_splitter; }

int QASplitBuffer(const char* letters, char* split_out, std::size_t split_size, char* raw_out,
                  std::size_t raw_size) {
  QASplitter* splitter = QAGetPYSplitter();
  if (splitter == nullptr || letters == nullptr || split_out == nullptr || raw_out == nullptr ||
      split_size == 0 || raw_size == 0) {
    return -1;
  }
  split_out[0] = '\0';
  raw_out[0] = '\0';
  has_suggestted = 0;
  const std::size_t length = ::strnlen(letters, IME_SPLIT_MAX_LETTERS + 1);
  QAContextObject* object = splitter->proc(splitter, std::string_view(letters, length));
  if (object == nullptr) return -2;
  has_suggestted = object->suggested.empty() ? 0 : 1;
  const bool use_suggested = (suggestted_mode & 1) != 0 && !object->suggested.empty();
  const std::vector<QAContextToken>& tokens = use_suggested ? object->suggested : object->tokens;
  std::size_t split_bytes = 0;
  std::size_t raw_bytes = 0;
  const bool fits = join_tokens(tokens, false, split_out, split_size, &split_bytes) &&
                    join_tokens(tokens, true, raw_out, raw_size, &raw_bytes);
  QAContextObjectRelease(object);
  if (!fits) {
    split_out[0] = '\0';
    raw_out[0] = '\0';
    return -2;
  }
  return static_cast<int>(split_bytes);
}
