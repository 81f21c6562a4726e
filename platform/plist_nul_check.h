// libplist hands out strings and keys through getters that abort when the text holds a NUL
// character, and it has no length-aware getter for keys. The bytes are therefore checked for
// such strings before libplist parses them.
#pragma once

#include <string_view>

namespace platform::plist {

// True when the property list's bytes may carry a string or key with a NUL character in it:
// an XML list with any NUL byte (XML allows none), or a binary list with a string object
// holding a zero character or whose layout cannot be followed.
bool may_hold_nul_in_string(std::string_view bytes);

}  // namespace platform::plist
