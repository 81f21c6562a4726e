// Pane bundles staged for tests the way the preferences program finds them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/files.h"
#include "platform/plist.h"
#include "platform/tests/test_support.h"

namespace preferences::testing_support {

namespace fs = std::filesystem;
using platform::plist::Dictionary;
using platform::plist::Value;
using platform::testing_support::TempDir;

// Stages pane bundles in a private folder the way the preferences program finds them.
class PaneFolder {
 public:
  // In a folder of its own, or at `folder` (made here).
  explicit PaneFolder(fs::path folder = {})
      : folder_(folder.empty() ? temp_.path() / "SharedSupport" : std::move(folder)) {
    fs::create_directories(folder_);
    fs::permissions(folder_, fs::perms::owner_all | fs::perms::group_read |
                                 fs::perms::group_exec | fs::perms::others_read |
                                 fs::perms::others_exec);
  }

  // A bundle whose library is a copy of `library` (or these bytes); NSPrincipalClass only when
  // `principal_class` is not empty.
  fs::path add(const std::string& name, const fs::path& library,
               const std::string& principal_class) {
    fs::path bundle = folder_ / (name + ".bundle");
    fs::create_directories(bundle / "Contents/MacOS");
    fs::create_directories(bundle / "Contents/Resources");
    fs::copy_file(library, bundle / "Contents/MacOS" / name);
    // Whatever the umask made of the build's file: only a library nobody else may write loads.
    fs::permissions(bundle / "Contents/MacOS" / name,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                        fs::perms::others_read | fs::perms::others_exec);
    write_info(bundle, name, principal_class);
    return bundle;
  }
  fs::path add_bytes(const std::string& name, const std::string& bytes,
                     const std::string& principal_class) {
    fs::path bundle = folder_ / (name + ".bundle");
    fs::create_directories(bundle / "Contents/MacOS");
    std::error_code ec;
    EXPECT_TRUE(platform::files::write_atomic(bundle / "Contents/MacOS" / name, bytes, ec));
    write_info(bundle, name, principal_class);
    return bundle;
  }

  const fs::path& path() const { return folder_; }

 private:
  static void write_info(const fs::path& bundle, const std::string& name,
                         const std::string& principal_class) {
    Dictionary info;
    info.set("CFBundleIdentifier", Value("com.example.panes." + name));
    info.set("CFBundleExecutable", Value(name));
    if (!principal_class.empty()) info.set("NSPrincipalClass", Value(principal_class));
    std::error_code ec;
    EXPECT_TRUE(platform::plist::save_atomic(bundle / "Contents/Info.plist", Value(info), ec));
  }

  TempDir temp_;
  fs::path folder_;
};

}  // namespace preferences::testing_support
