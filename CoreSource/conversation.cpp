#include "conversation.h"

#include <cstdlib>
#include <type_traits>

#include "datafolder.h"

// A conversation is handed out as one zeroed block and freed as one, so it must be plain data.
static_assert(std::is_trivial_v<ime_conversation_t> && std::is_standard_layout_v<ime_conversation_t>);

int ime_new_conversation(ime_conversation_t** conversation) {
  if (conversation == nullptr) return -1;
  *conversation = static_cast<ime_conversation_t*>(std::calloc(1, sizeof(ime_conversation_t)));
  if (*conversation == nullptr) return -1;
  // The conversation works without a data folder; learning needs one later.
  ime_make_data_folder();
  return 0;
}

int ime_free_conversation(ime_conversation_t** conversation) {
  if (conversation == nullptr) return 0;
  std::free(*conversation);
  *conversation = nullptr;
  return 0;
}
