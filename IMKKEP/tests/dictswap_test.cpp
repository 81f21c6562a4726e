// Rebuilt dictionaries swapped in at a reload: a staged folder replaces its dictionary once
// its build is done, and whatever goes wrong the engine keeps a dictionary to offer words from.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "CoreSource/dict/dictpool.h"
#include "IMKKEP/engine/KEPDictionarySwap.h"
#include "IMKKEP/tests/host_engine_fixture.h"
#include "writers/system_dictionary.h"

namespace {

namespace fs = std::filesystem;
using host_test::ServerLogCapture;

// One word of the dictionary "foo" before and after its rebuild; the same syllables, so the
// word offered for them tells which folder the engine opened.
const mkdata::WordListEntry kOldWord{{"qi", "ling"}, "麒翎", "", 900000, "22"};
const mkdata::WordListEntry kNewWord{{"qi", "ling"}, "琦翎", "", 900000, "22"};
constexpr const char* kOldOrigin = "old";
constexpr const char* kNewOrigin = "new";

bool logged_containing(const std::string& fragment) {
  const auto& lines = ServerLogCapture::lines();
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return line.find(fragment) != std::string::npos; });
}

class DictSwapTest : public host_test::StagedEngine {
 protected:
  void TearDown() override {
    imkkep::set_dictionary_swap_observer(nullptr);
    imkkep::kConvsTable.clear();
    host_test::StagedEngine::TearDown();
  }

  fs::path dictionaries() const { return data_folder() / "Dictionary"; }

  // A one-word dictionary folder under `name`, marked with where it came from. Built in a
  // scratch folder first: the builder's work folder beside a long name would not fit.
  void build(const std::string& name, const mkdata::WordListEntry& word, const char* origin) {
    const fs::path scratch = home_.path() / "built" / "dictionary";
    fs::remove_all(scratch.parent_path());
    fs::create_directories(scratch.parent_path());
    mkdata::DictionaryReport report;
    std::string error;
    ASSERT_TRUE(mkdata::write_system_dictionary({word}, scratch, &report, &error)) << error;
    ASSERT_EQ(report.records, 1u);
    engine_test::write_file(scratch / "origin", origin);
    fs::create_directories(dictionaries());
    fs::rename(scratch, dictionaries() / name);
  }
  // The old dictionary "name" and its finished rebuild staged under `staged`.
  void stage_rebuild(const std::string& name, const std::string& staged) {
    build(name, kOldWord, kOldOrigin);
    build(staged, kNewWord, kNewOrigin);
  }
  static void hold_lock(const fs::path& folder, const std::string& name) {
    engine_test::write_file(folder / ("." + name), "X");
  }
  std::string origin_of(const std::string& name) const {
    return engine_test::read_file(dictionaries() / name / "origin");
  }
  // Every entry of the Dictionary folder, hidden ones too.
  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dictionaries())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  // A reload with a dictionary update pending, as after the updater's notification.
  int reload_with_update() {
    ServerLogCapture::lines().clear();
    imkkep::dict_needs_update = 1;
    return imkkep::IMEReload();
  }

  // Whether typing the word's syllables offers it on the first page.
  bool offered(const mkdata::WordListEntry& word) {
    ime_convs_reset(convs_);
    type("qiling");
    bool found = false;
    for (int i = 0; i < convs_->ncand && i < ime_page_size; ++i) {
      found = found || word.word == reinterpret_cast<const char*>(convs_->cands[i].hz);
    }
    ime_convs_reset(convs_);
    return found;
  }
  void expect_old_dictionary_in_use(const std::string& name) {
    EXPECT_EQ(origin_of(name), kOldOrigin);
    EXPECT_TRUE(offered(kOldWord));
    EXPECT_FALSE(offered(kNewWord));
  }
};

TEST_F(DictSwapTest, AStagedFolderReplacesItsDictionaryOnceItsBuildIsDone) {
  struct Case {
    const char* what;
    const char* staged;
    bool locked;
  } cases[] = {
      {"a build holds the lock", "__new__foo", true},
      {"the build is done", "__new__foo", false},
      {"the prefix in capitals", "__NEW__foo", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dictionaries());
    stage_rebuild("foo", c.staged);
    if (c.locked) hold_lock(dictionaries(), "foo");
    const fs::path staged = dictionaries() / c.staged;
    const fs::path target = dictionaries() / "foo";

    ASSERT_EQ(reload_with_update(), 0);
    EXPECT_TRUE(ServerLogCapture::logged("Checking " + staged.string()));
    EXPECT_EQ(imkkep::dict_needs_update, 0);
    if (c.locked) {
      EXPECT_EQ(listing(), (std::vector<std::string>{".foo", c.staged, "foo"}));
      EXPECT_EQ(engine_test::read_file(staged / "origin"), kNewOrigin);
      EXPECT_FALSE(logged_containing("Move "));
      expect_old_dictionary_in_use("foo");
    } else {
      EXPECT_EQ(listing(), std::vector<std::string>{"foo"});
      EXPECT_EQ(origin_of("foo"), kNewOrigin);
      EXPECT_TRUE(ServerLogCapture::logged("Move " + staged.string() + " ==> " + target.string()));
      EXPECT_TRUE(offered(kNewWord));
      EXPECT_FALSE(offered(kOldWord));
    }
  }
}

TEST_F(DictSwapTest, OnlyAPlainNameIsReplaced) {
  struct Case {
    const char* staged;
    bool examined;  // named as a staging folder at all
  } cases[] = {
      {"__new__..", true},   // would name the data folder itself
      {"__new__.x", true},   // a hidden name, where lock files live
      {"__new__", false},    // no name after the prefix
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.staged);
    fs::remove_all(dictionaries());
    stage_rebuild("foo", c.staged);
    const std::vector<std::string> before = listing();

    ASSERT_EQ(reload_with_update(), 0);
    EXPECT_EQ(listing(), before);
    EXPECT_EQ(engine_test::read_file(dictionaries() / c.staged / "origin"), kNewOrigin);
    EXPECT_TRUE(fs::exists(data_folder() / "imkkep.plist"));
    EXPECT_EQ(logged_containing("Refuse " + (dictionaries() / c.staged).string()), c.examined);
    EXPECT_FALSE(logged_containing("Move "));
    expect_old_dictionary_in_use("foo");
  }
}

TEST_F(DictSwapTest, OnlyADictionaryFolderThatCannotBeReadIsAnError) {
  fs::remove_all(dictionaries());
  EXPECT_EQ(imkkep::IMEUpdateDaruzDict(), 0) << "a user who never added a dictionary";
  engine_test::write_file(dictionaries(), "X");
  EXPECT_EQ(imkkep::IMEUpdateDaruzDict(), -2);
}

// The moments at which the folders are changed under the swap, as a builder starting anew
// would change them.
void remove_staged_folder(imkkep::SwapMoment moment, const fs::path& folder, const std::string& name) {
  if (moment == imkkep::SwapMoment::OldFolderAside) fs::remove_all(folder / ("__new__" + name));
}
void start_a_build(imkkep::SwapMoment moment, const fs::path& folder, const std::string& name) {
  if (moment == imkkep::SwapMoment::StagedFolderIn) engine_test::write_file(folder / ("." + name), "X");
}

TEST_F(DictSwapTest, TheOldDictionaryStaysWhenTheSwapCannotFinish) {
  const std::string long_name = "foo." + std::string(244, 'e');  // "__new__" and it fill a name
  struct Case {
    const char* what;
    std::string name;
    imkkep::SwapObserver observer;
    bool read_only;
    bool staged_stays;
    const char* logged;
  } cases[] = {
      {"the Dictionary folder is read-only", "foo", nullptr, true, true, "failed"},
      {"the name the old folder waits under does not fit", long_name, nullptr, false, true, "failed"},
      {"the staged folder vanished once the old one was aside", "foo", remove_staged_folder, false,
       false, "failed"},
      {"a build started once the staged folder was in", "foo", start_a_build, false, true,
       "started during the swap"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Permissions do not hold back the superuser.
    if (c.read_only && ::geteuid() == 0) continue;
    fs::remove_all(dictionaries());
    const std::string staged = "__new__" + c.name;
    stage_rebuild(c.name, staged);
    imkkep::set_dictionary_swap_observer(c.observer);
    if (c.read_only) fs::permissions(dictionaries(), fs::perms::owner_read | fs::perms::owner_exec);

    ASSERT_EQ(reload_with_update(), 0);
    fs::permissions(dictionaries(), fs::perms::owner_all);
    imkkep::set_dictionary_swap_observer(nullptr);
    EXPECT_TRUE(logged_containing(c.logged));
    EXPECT_FALSE(ServerLogCapture::logged("Move " + (dictionaries() / staged).string() + " ==> " +
                                          (dictionaries() / c.name).string()));
    EXPECT_EQ(fs::exists(dictionaries() / staged), c.staged_stays);
    if (c.staged_stays) {
      EXPECT_EQ(engine_test::read_file(dictionaries() / staged / "origin"), kNewOrigin);
    }
    for (const std::string& name : listing()) {
      EXPECT_FALSE(name.starts_with("..")) << "a folder left aside: " << name;
    }
    expect_old_dictionary_in_use(c.name);
  }
}

TEST_F(DictSwapTest, ACompositionWithCandidatesPutsTheSwapOff) {
  stage_rebuild("foo", "__new__foo");
  type("zhong");
  ASSERT_GT(convs_->ncand, 0);
  imkkep::kConvsTable[reinterpret_cast<std::uintptr_t>(convs_)] = {convs_};

  ASSERT_EQ(reload_with_update(), 0);
  EXPECT_TRUE(logged_containing("Update suspended."));
  EXPECT_EQ(imkkep::dict_needs_update, 1);
  EXPECT_TRUE(fs::exists(dictionaries() / "__new__foo"));
  EXPECT_EQ(origin_of("foo"), kOldOrigin);

  ime_convs_reset(convs_);
  ServerLogCapture::lines().clear();
  ASSERT_EQ(imkkep::IMEReload(), 0);
  EXPECT_EQ(imkkep::dict_needs_update, 0);
  EXPECT_FALSE(fs::exists(dictionaries() / "__new__foo"));
  EXPECT_EQ(origin_of("foo"), kNewOrigin);
  EXPECT_TRUE(offered(kNewWord));
}

TEST_F(DictSwapTest, AFailedLoadKeepsTheOpenDictionariesAndTheRestOfTheReloadRuns) {
  build("foo", kOldWord, kOldOrigin);
  ASSERT_EQ(reload_with_update(), 0);
  ASSERT_TRUE(offered(kOldWord));
  const std::vector<ImeDict*> open(ime_dict_pool, ime_dict_pool + ime_dict_count);
  build("__new__foo", kNewWord, kNewOrigin);
  // A folder in the place of the system dictionary's counters: the new set cannot open.
  const fs::path counters = data_folder() / "system.freq";
  ASSERT_TRUE(fs::remove(counters));
  fs::create_directory(counters);
  imkkep::kUDBNeedsReload = 1;
  ime_valid = 0;

  EXPECT_EQ(reload_with_update(), -1);
  EXPECT_TRUE(ServerLogCapture::logged("Load dictionary failed!"));
  EXPECT_EQ(imkkep::dict_needs_update, 1);
  EXPECT_EQ(std::vector<ImeDict*>(ime_dict_pool, ime_dict_pool + ime_dict_count), open);
  // The old folder is gone from the disk, but the open set still reads it.
  EXPECT_EQ(origin_of("foo"), kNewOrigin);
  EXPECT_TRUE(offered(kOldWord));
  EXPECT_TRUE(ServerLogCapture::logged("Loading the user database...."));
  EXPECT_EQ(imkkep::kUDBNeedsReload, 0);
  EXPECT_EQ(ime_valid, 1);

  fs::remove(counters);
  EXPECT_EQ(imkkep::IMEReload(), 0);
  EXPECT_EQ(imkkep::dict_needs_update, 0);
  EXPECT_TRUE(offered(kNewWord));
}

}  // namespace
