// Paging: pages are cut from list 3 with each text shown once. `shown` holds the list indexes of
// the distinct candidates found so far and `seen` their texts; both grow only as far as the page
// asked for needs, so turning to page 2 does not load a list of thousands.
#include <algorithm>
#include <cstring>
#include <string>

#include "base/imelog.h"
#include "match/imeconvs2.h"
#include "record/engine_globals.h"
#include "record/qrdb.h"

namespace {

std::string text_of(const ime_conversation_t* c, const ime_query_result_t& candidate) {
  const bool traditional = (c->mode & IME_MODE_TRADITIONAL) != 0;
  const auto* text = reinterpret_cast<const char*>(traditional ? candidate.thz : candidate.hz);
  const std::size_t length = traditional ? candidate.thlen : candidate.hlen;
  return std::string(text, strnlen(text, std::min<std::size_t>(length, IME_TEXT_BYTES)));
}

// Of two dictionary words with the same text, the one consuming more typed syllables is kept.
bool replaces(ime_conversation_t* c, int earlier, const ime_qrdb_entry_t* later) {
  ime_qrdb_entry_t* first = nullptr;
  if (later->type != IME_RESULT_DICT_WORD ||
      ime_qrdb_get_lazy(c, IME_LIST_CANDIDATES, earlier, &first) != 0) {
    return false;
  }
  return first->type == IME_RESULT_DICT_WORD && later->rplen > first->rplen;
}

// Finds distinct candidates until `shown` holds `wanted` of them or list 3 ends. false when
// `shown` no longer fits the list.
bool find_distinct(ime_conversation_t* c, std::size_t wanted) {
  std::vector<int>& shown = c->shown->indexes;
  const int listed = ime_qrdb_count(c, IME_LIST_CANDIDATES);
  // The scan resumes after the furthest index taken (a replaced word keeps its earlier place).
  int next = 0;
  if (!shown.empty()) {
    const int furthest = *std::max_element(shown.begin(), shown.end());
    if (*std::min_element(shown.begin(), shown.end()) < 0 || furthest >= listed) {
      IME_ERROR("CFNumber return invalid number %d.[max=%d]", furthest, listed);
      return false;
    }
    next = furthest + 1;
  }
  for (; shown.size() < wanted && next < listed; ++next) {
    ime_query_result_t candidate{};
    if (ime_qrdb_get(c, IME_LIST_CANDIDATES, next, &candidate) != 0) continue;  // unreadable
    const std::string text = text_of(c, candidate);
    auto found = c->seen->index_of.find(text);
    if (found == c->seen->index_of.end()) {
      c->seen->index_of.emplace(text, next);
      shown.push_back(next);
      continue;
    }
    ime_qrdb_entry_t* entry = nullptr;
    if (ime_qrdb_get_lazy(c, IME_LIST_CANDIDATES, next, &entry) == 0 &&
        replaces(c, found->second, entry)) {
      std::replace(shown.begin(), shown.end(), found->second, next);
      found->second = next;
    }
  }
  return true;
}

}  // namespace

int ime_convs_page(ime_conversation_t* c, int n) {
  if (c == nullptr) return IME_PAGE_NONE;
  c->ncand = 0;
  const int listed = ime_qrdb_count(c, IME_LIST_CANDIDATES);
  if (n < 0 || listed <= 0 || c->shown == nullptr || c->seen == nullptr) return IME_PAGE_NONE;
  const int size = ime_current_page_size();
  int page = n;
  if (!find_distinct(c, static_cast<std::size_t>(page + 1) * static_cast<std::size_t>(size))) {
    return IME_PAGE_NONE;
  }
  const int distinct = static_cast<int>(c->shown->indexes.size());
  const bool past_end = page * size >= distinct;
  if (past_end) {
    // Repeated texts can leave fewer pages than the list length promised.
    if (page == 0 || distinct == 0) return IME_PAGE_NONE;
    page = (distinct - 1) / size;
  }
  for (int i = page * size; i < distinct && c->ncand < size; ++i) {
    ime_query_result_t candidate{};
    if (ime_qrdb_get(c, IME_LIST_CANDIDATES, c->shown->indexes[static_cast<std::size_t>(i)],
                     &candidate) != 0) {
      IME_ERROR("Get last index of RAS failed![%d]", i);
      c->ncand = 0;
      return IME_PAGE_NONE;
    }
    ime_convs_add_candidate(c, &candidate, size);
  }
  c->page = static_cast<std::uint16_t>(page);
  return past_end ? IME_PAGE_LAST_SHOWN : IME_PAGE_SHOWN;
}

int ime_convs_pre_page(ime_conversation_t* c) {
  if (c != nullptr && c->page > 0) {
    const std::uint16_t page = c->page;
    if (ime_convs_page(c, page - 1) != IME_PAGE_SHOWN) ime_convs_page(c, page);
  }
  return 0;
}

int ime_convs_next_page(ime_conversation_t* c) {
  if (c != nullptr) {
    const std::uint16_t page = c->page;
    if (ime_convs_page(c, page + 1) != IME_PAGE_SHOWN) ime_convs_page(c, page);
  }
  return 0;
}

int ime_convs_candidate_list_index(const ime_conversation_t* c, int i) {
  if (c == nullptr || c->shown == nullptr || i < 0 || i >= c->ncand) return -1;
  const std::size_t at = static_cast<std::size_t>(c->page) * ime_current_page_size() + i;
  if (at >= c->shown->indexes.size()) return -1;
  return c->shown->indexes[at];
}
