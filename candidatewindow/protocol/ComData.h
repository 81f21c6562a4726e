// The payload of the candidate window's property-list messages, built the same way on both
// sides: one dictionary, written as an XML property list.
#pragma once

#include <string>

#include "platform/plist.h"

namespace kepcandidate {

class ComData {
 public:
  void setObject(platform::plist::Value value, std::string key) {
    dictionary_.set(std::move(key), std::move(value));
  }
  platform::plist::Dictionary& dictionary() { return dictionary_; }
  const platform::plist::Dictionary& dictionary() const { return dictionary_; }
  // The dictionary as an XML property list.
  std::string data() const;

 private:
  platform::plist::Dictionary dictionary_;
};

}  // namespace kepcandidate
