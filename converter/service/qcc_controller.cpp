#include "converter/service/qcc_controller.h"

#include "converter/cclog.h"
#include "converter/service/qcc_service.h"

bool QCCController::awakeFromNib() {
  kConverterHandler = converter::ChineseConverter::initWithFixFiles(resources_, {});
  if (!kConverterHandler) {
    converter::cclog("Initialize pinyin engine failed!");
    return false;
  }
  if (QCCInitialize(loop_) != 0) {
    converter::cclog("Initialize PinyinMarker failed!");
    return false;
  }
  return true;
}
