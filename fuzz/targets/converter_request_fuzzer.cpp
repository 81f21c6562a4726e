// Requests to the converter service's port: the first byte picks the message id (convert,
// version, table versions, or an unknown one), the rest is the request's data.
#include "converter/cclog.h"
#include "converter/chinese_converter.h"
#include "converter/service/qcc_service.h"
#include "fuzz/fixtures/converter_fixture.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  converter::set_log_sink([](const char*) {});
  fuzz::TempDir tables;
  if (!fuzz::write_converter_tables(tables.path())) std::abort();
  kConverterHandler = converter::ChineseConverter::initWithFixFiles(tables.path(), {});
  if (!kConverterHandler) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::int32_t ids[] = {QCC_MSG_CONVERT, QCC_MSG_VERSION, QCC_MSG_DB_VERSION, 101};
  QCCMessageCallback(ids[data[0] % 4], fuzz::as_view(data + 1, size - 1));
  return 0;
}
