#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/files.h"
#include "platform/tests/test_support.h"
#include "platform/ui/plugin.h"
#include "preferences/host/pane_protocol.h"
#include "preferences/host/tests/pane_folder.h"

namespace preferences {
namespace {

namespace fs = std::filesystem;
using platform::plist::Dictionary;
using platform::plist::Value;
using platform::testing_support::TempDir;
using platform::ui::ClassRegistry;
using platform::ui::PluginRefusal;
using testing_support::PaneFolder;

const platform::ui::ClassProtocol kPaneProtocol{kPaneProtocolName, kPaneAbiVersion,
                                                {kPreferencePanesEntry}};


std::map<std::string, PluginRefusal> refusals_by_bundle(const platform::ui::PluginFolder& result) {
  std::map<std::string, PluginRefusal> refusals;
  for (const auto& failure : result.failures) {
    refusals[failure.bundle_path.stem().string()] = failure.refusal;
  }
  return refusals;
}

TEST(PaneLoadingTest, TheGoodPaneLoadsAndEveryRefusedWayIsToldApart) {
  PaneFolder panes;
  panes.add("Good", KEP_TEST_PANE_GOOD, "GoodPaneController");
  panes.add("NoPrincipal", KEP_TEST_PANE_GOOD, "");
  panes.add("Twin", KEP_TEST_PANE_GOOD, "GoodPaneController");      // after Good: name used
  panes.add("HostNamed", KEP_TEST_PANE_ODD, "HostController");        // the host's own class
  panes.add("ViewBased", KEP_TEST_PANE_ODD, "ViewBasedController");
  panes.add("Rootless", KEP_TEST_PANE_ODD, "RootlessController");
  panes.add("NewerAbi", KEP_TEST_PANE_ODD, "NewerAbiController");
  panes.add("OtherProtocol", KEP_TEST_PANE_ODD, "OtherProtocolController");
  panes.add("NoEntries", KEP_TEST_PANE_ODD, "NoEntriesController");
  panes.add("MisnamedEntry", KEP_TEST_PANE_ODD, "MisnamedEntryController");
  panes.add("NullFactory", KEP_TEST_PANE_ODD, "NullFactoryController");
  panes.add("Impostor", KEP_TEST_PANE_ODD, "ImpostorController");
  panes.add("Undefined", KEP_TEST_PANE_ODD, "UndefinedController");
  panes.add("Bare", KEP_TEST_PANE_BARE, "BareController");
  panes.add_bytes("NotALibrary", "#!/bin/sh\necho not a library\n", "TextController");
  fs::create_directories(panes.path() / "NoInfo.bundle/Contents/MacOS");
  fs::create_directories(panes.path() / "Ignored.plugin/Contents");  // another extension

  ClassRegistry registry;
  ASSERT_TRUE(registry.add("HostController"));
  std::error_code error;
  auto result =
      platform::ui::load_plugin_folder(panes.path(), "bundle", kPaneProtocol, error, registry);
  ASSERT_TRUE(result) << error.message();

  ASSERT_EQ(result->loaded.size(), 1u);
  const platform::ui::PluginClass& good = result->loaded[0];
  EXPECT_EQ(good.class_name, "GoodPaneController");
  EXPECT_EQ(good.bundle_path, panes.path() / "Good.bundle");
  EXPECT_TRUE(registry.contains("GoodPaneController"));

  const std::map<std::string, PluginRefusal> expected = {
      {"NoPrincipal", PluginRefusal::no_principal_class},
      {"Twin", PluginRefusal::class_name_used},
      {"HostNamed", PluginRefusal::class_name_used},
      {"ViewBased", PluginRefusal::not_root_subclass},
      {"Rootless", PluginRefusal::not_root_subclass},
      {"NewerAbi", PluginRefusal::wrong_abi_version},
      {"OtherProtocol", PluginRefusal::wrong_protocol},
      {"NoEntries", PluginRefusal::missing_entry},
      {"MisnamedEntry", PluginRefusal::missing_entry},
      {"NullFactory", PluginRefusal::missing_entry},
      {"Impostor", PluginRefusal::no_class_record},
      {"Undefined", PluginRefusal::no_class_record},
      {"Bare", PluginRefusal::no_class_record},
      {"NotALibrary", PluginRefusal::cannot_open},
      {"NoInfo", PluginRefusal::cannot_open},
  };
  EXPECT_EQ(refusals_by_bundle(*result), expected);
  for (const auto& failure : result->failures) {
    bool unusable = platform::ui::is_unusable_class(failure.refusal);
    bool expected_unusable = failure.refusal != PluginRefusal::cannot_open &&
                             failure.refusal != PluginRefusal::no_principal_class &&
                             failure.refusal != PluginRefusal::class_name_used;
    EXPECT_EQ(unusable, expected_unusable) << failure.bundle_path;
    if (failure.refusal == PluginRefusal::missing_entry) {
      EXPECT_EQ(failure.detail, kPreferencePanesEntry);
    }
    if (failure.bundle_path.stem() == "Bare") {
      EXPECT_NE(failure.detail.find("kep_principal_class"), std::string::npos) << failure.detail;
    }
    if (failure.bundle_path.stem() == "NotALibrary") {
      EXPECT_NE(failure.detail.find("NotALibrary"), std::string::npos) << failure.detail;
    }
  }
  // Refused classes take no name: a later good bundle may use it.
  EXPECT_FALSE(registry.contains("ViewBasedController"));
  EXPECT_FALSE(registry.contains("NewerAbiController"));
}

TEST(PaneLoadingTest, ALoadedPaneWorksThroughTheProtocolWithTheHostsDictionary) {
  PaneFolder panes;
  fs::path bundle = panes.add("Good", KEP_TEST_PANE_GOOD, "GoodPaneController");
  ClassRegistry registry;
  auto result = platform::ui::load_plugin(bundle, kPaneProtocol, registry);
  ASSERT_TRUE(result.loaded) << result.failure->detail;
  auto factory = result.loaded->entry<PreferencePanesFactory>(kPreferencePanesEntry);
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(result.loaded->entry<PreferencePanesFactory>("absent"), nullptr);
  EXPECT_EQ(result.loaded->info.find("NSPrincipalClass")->string_value(), "GoodPaneController");

  PreferencePanes created = factory();
  ASSERT_EQ(created.size(), 1u);
  PreferencePane& pane = *created[0];
  EXPECT_EQ(pane.paneName(), "Good");
  EXPECT_EQ(pane.paneToolTip(), "A pane that loads");
  EXPECT_FALSE(pane.allowsHorizontalResizing());

  Dictionary prefs;
  prefs.set("GoodPaneCount", Value(41));
  prefs.set("Other", Value("kept"));
  pane.savePrefs(prefs);  // never shown: leaves its key alone
  EXPECT_EQ(prefs.find("GoodPaneCount")->integer_value(), 41);
  pane.loadPrefs(prefs);
  pane.savePrefs(prefs);
  EXPECT_EQ(prefs.find("GoodPaneCount")->integer_value(), 42);
  EXPECT_EQ(prefs.find("Other")->string_value(), "kept");

  // The library stays loaded: a second pane of the class works after the first has gone.
  created.clear();
  PreferencePanes more = factory();
  ASSERT_EQ(more.size(), 1u);
  EXPECT_EQ(more[0]->paneName(), "Good");
}

TEST(PaneLoadingTest, TheProcessRegistryRefusesASecondClassOfOneName) {
  PaneFolder panes;
  fs::path first = panes.add("Good", KEP_TEST_PANE_GOOD, "GoodPaneController");
  fs::path second = panes.add("Twin", KEP_TEST_PANE_GOOD, "GoodPaneController");
  ClassRegistry& shared = ClassRegistry::shared();
  EXPECT_EQ(&shared, &ClassRegistry::shared());
  // Loading the same bundle twice in one process is refused the second time as well.
  bool already = shared.contains("GoodPaneController");
  auto loaded = platform::ui::load_plugin(first, kPaneProtocol);
  EXPECT_EQ(bool(loaded.loaded), !already);
  auto twin = platform::ui::load_plugin(second, kPaneProtocol);
  ASSERT_TRUE(twin.failure);
  EXPECT_EQ(twin.failure->refusal, PluginRefusal::class_name_used);
  EXPECT_EQ(twin.failure->detail, "GoodPaneController");
  EXPECT_FALSE(shared.add("GoodPaneController"));
}

TEST(PaneLoadingTest, OnlyFoldersAndLibrariesNobodyElseMayChangeAreLoaded) {
  PaneFolder panes;
  fs::path bundle = panes.add("Good", KEP_TEST_PANE_GOOD, "GoodPaneController");
  ClassRegistry registry;
  std::error_code error;

  for (mode_t open_mode : {0775, 0757, 0777, 01777}) {
    ASSERT_EQ(::chmod(panes.path().c_str(), open_mode), 0);
    EXPECT_FALSE(
        platform::ui::load_plugin_folder(panes.path(), "bundle", kPaneProtocol, error, registry))
        << std::oct << open_mode;
    EXPECT_EQ(error, platform::ui::PluginTrustError::writable_by_others);
    EXPECT_EQ(error, std::errc::permission_denied);
  }
  ASSERT_EQ(::chmod(panes.path().c_str(), 0755), 0);
  EXPECT_FALSE(platform::ui::load_plugin_folder(panes.path() / "Missing", "bundle", kPaneProtocol,
                                                error, registry));
  EXPECT_EQ(error, std::errc::no_such_file_or_directory);

  // A library others may write is not opened either.
  fs::path library = bundle / "Contents/MacOS/Good";
  ASSERT_EQ(::chmod(library.c_str(), 0775), 0);
  auto refused = platform::ui::load_plugin(bundle, kPaneProtocol, registry);
  ASSERT_TRUE(refused.failure);
  EXPECT_EQ(refused.failure->refusal, PluginRefusal::cannot_open);
  EXPECT_NE(refused.failure->detail.find("group or others may write"), std::string::npos)
      << refused.failure->detail;
  EXPECT_FALSE(registry.contains("GoodPaneController"));
  ASSERT_EQ(::chmod(library.c_str(), 0755), 0);

  // A folder of another user (one only root can make).
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(panes.path().c_str(), 65534, 65534), 0);
    EXPECT_FALSE(
        platform::ui::load_plugin_folder(panes.path(), "bundle", kPaneProtocol, error, registry));
    EXPECT_EQ(error, platform::ui::PluginTrustError::foreign_owner);
    ASSERT_EQ(::chown(panes.path().c_str(), 0, 0), 0);
  }

  auto result =
      platform::ui::load_plugin_folder(panes.path(), "bundle", kPaneProtocol, error, registry);
  ASSERT_TRUE(result) << error.message();
  EXPECT_EQ(result->loaded.size(), 1u);
  EXPECT_TRUE(result->failures.empty());
}

}  // namespace
}  // namespace preferences
