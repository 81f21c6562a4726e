#include "IMKKEP/ComData.h"

namespace imkkep {

std::string ComData::data() const { return platform::plist::to_xml(dictionary_); }

}  // namespace imkkep
