#include "candidatewindow/protocol/ComData.h"

namespace kepcandidate {

std::string ComData::data() const { return platform::plist::to_xml(dictionary_); }

}  // namespace kepcandidate
