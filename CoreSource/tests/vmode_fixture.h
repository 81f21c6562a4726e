// A bundle whose resources hold a vmode.txt, for the tests of the V-mode tables and of the
// candidates built from them.
#pragma once

#include <string>

#include "engine_test_support.h"
#include "platform/bundle.h"

namespace engine_test {

class FakeVModeBundle {
 public:
  explicit FakeVModeBundle(const std::string& vmode_text) {
    write_file(folder_ / "IMKKEP.app/Contents/Info.plist",
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
               "\t<key>CFBundleIdentifier</key>\n\t<string>com.example.vmode</string>\n"
               "</dict>\n</plist>\n");
    write_file(vmode_path(), vmode_text);
  }
  fs::path vmode_path() const { return folder_ / "IMKKEP.app/Contents/Resources/vmode.txt"; }
  platform::Bundle bundle() const { return *platform::Bundle::at(folder_ / "IMKKEP.app"); }

 private:
  TempDir folder_;
};

}  // namespace engine_test
