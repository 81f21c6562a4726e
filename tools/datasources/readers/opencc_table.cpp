#include "tools/datasources/readers/opencc_table.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/files.h"

extern char** environ;

namespace datasources {

namespace {

// Runs a program with an argument vector and waits for it; its exit status or -1.
int run_program(const std::vector<std::string>& arguments, std::string* error) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  int spawned = ::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  if (spawned != 0) {
    *error = "cannot run " + arguments[0] + ": " + std::strerror(spawned);
    return -1;
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      *error = "lost " + arguments[0] + ": " + std::strerror(errno);
      return -1;
    }
  }
  if (!WIFEXITED(status)) {
    *error = arguments[0] + " was killed";
    return -1;
  }
  return WEXITSTATUS(status);
}

}  // namespace

VariantTable parse_opencc_text(std::string_view text) {
  VariantTable table;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos || tab == 0) continue;
    std::vector<std::string>& forms = table[std::string(line.substr(0, tab))];
    std::string_view rest = line.substr(tab + 1);
    while (!rest.empty()) {
      std::size_t blank = rest.find(' ');
      std::string_view form = rest.substr(0, blank);
      if (!form.empty() && form.back() == '\r') form.remove_suffix(1);
      if (!form.empty()) forms.emplace_back(form);
      rest.remove_prefix(blank == std::string_view::npos ? rest.size() : blank + 1);
    }
  }
  return table;
}

bool load_opencc_dictionary(const std::filesystem::path& dictionary,
                            const std::filesystem::path& dump_tool, VariantTable* table,
                            std::string* error) {
  std::error_code ec;
  if (dictionary.extension() == ".txt") {
    std::optional<std::string> text = platform::files::read_file(dictionary, ec);
    if (!text) {
      *error = "cannot read " + dictionary.string();
      return false;
    }
    *table = parse_opencc_text(*text);
    return true;
  }
  std::optional<std::filesystem::path> folder = platform::files::make_temp_directory({}, "kep-opencc-", ec);
  if (!folder) {
    *error = "cannot make a temporary folder: " + ec.message();
    return false;
  }
  std::filesystem::path dumped = *folder / "dictionary.txt";
  int status = run_program({dump_tool.string(), "-i", dictionary.string(), "-o", dumped.string(),
                            "-f", "ocd2", "-t", "text"},
                           error);
  std::optional<std::string> text;
  if (status == 0) {
    text = platform::files::read_file(dumped, ec);
    if (!text) *error = "cannot read the dump of " + dictionary.string();
  } else if (status > 0) {
    *error = dump_tool.string() + " failed on " + dictionary.string() + " (status " +
             std::to_string(status) + ")";
  }
  platform::files::remove_tree(*folder, ec);
  if (!text) return false;
  *table = parse_opencc_text(*text);
  return true;
}

}  // namespace datasources
