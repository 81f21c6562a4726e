// Writes the status bar skin the end-to-end script installs: a grey bar with the state buttons
// and the menu button, each state a colour of its own.
#include <cstdio>
#include <exception>
#include <string>

#include "candidatewindow/app/tests/status_bar_fixture.h"

namespace fixture = kepcandidatewindow::fixture;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kep-status-skin-fixture FOLDER\n");
    return 2;
  }
  try {
    std::string ini = "[StatusBar]\npic=bar.png\n";
    int button = 0;
    for (const char* name : {"biaodian", "cn_en", "fan_jian", "quan_ban", "quan_shuang", "menu"}) {
      ini += fixture::button_section(name, button++);
    }
    fixture::write_status_skin(argv[1], ini,
                               {"biaodian", "cn_en", "fan_jian", "quan_ban", "quan_shuang", "menu"});
  } catch (const std::exception& error) {
    std::fprintf(stderr, "kep-status-skin-fixture: %s\n", error.what());
    return 1;
  }
  return 0;
}
