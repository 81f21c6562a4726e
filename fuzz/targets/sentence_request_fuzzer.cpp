// Requests to the sentence service's port: the first byte picks the message id (convert, learn,
// fill, or an unknown one), the rest is the request's data. The single-character table is a
// small one written the way the generator writes the shipped table.
#include <cstdlib>
#include <string>

#include "fuzz/fixtures/sentence_fixture.h"
#include "fuzz/fuzz_support.h"
#include "sentenceparser/core/dan_table.h"
#include "sentenceparser/service/qcp_service.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // "ni" 你泥, "hao" 好号, "ma" 马吗, "wo" 我: enough rows for the passes to fix items.
  fuzz::TempFile table(fuzz::sentence_character_table(
      {"ni\xC4\xE3\xC4\xE0", "hao\xBA\xC3\xBA\xC5", "ma\xC2\xED\xC2\xF0", "wo\xCE\xD2"}));
  if (sentence::LoadDanFrom(table.path().c_str()) != 1) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::int32_t ids[] = {QCP_MSG_CONVERT_STREAM, QCP_MSG_LEARN_TEXT, QCP_MSG_FILL_PY, 99};
  auto reply = QCPMessageCallback(ids[data[0] % 4], fuzz::as_view(data + 1, size - 1));
  if (reply && reply->size() > kQCPReplyMax) std::abort();
  return 0;
}
