#include "split_command.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CoreSource/base/datafolder.h"
#include "CoreSource/split/py_splitter.h"

namespace {

std::string joined(const std::vector<QAContextToken>& tokens, bool typed) {
  std::string text;
  for (const QAContextToken& token : tokens) {
    if (!text.empty()) text += "'";
    text += typed ? token.raw : QANormalizeSyllable(token.text);
  }
  return text;
}

}  // namespace

int run_split(int argc, char** argv) {
  bool corrections = true;
  std::vector<const char*> inputs;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--exact") == 0) {
      corrections = false;
    } else {
      inputs.push_back(argv[i]);
    }
  }
  if (inputs.empty()) {
    std::fprintf(stderr, "kep-engine: split takes the letters to split (--exact: no spelling corrections)\n");
    return 2;
  }
  // As with EnableAutoCorrect and its pairs at their defaults, unless asked for the letters as typed.
  ime_auto_mode = corrections ? 1 : 0;
  if (ime_set_default_resources() != 0) {
    std::fprintf(stderr, "kep-engine: the default resource folder cannot be named\n");
    return 1;
  }
  QASplitter* splitter = QAGetPYSplitter();
  if (splitter->init(splitter) != 0) {
    std::fprintf(stderr, "kep-engine: the splitter did not start\n");
    return 1;
  }
  int failures = 0;
  for (const char* letters : inputs) {
    QAContextObject* split = splitter->proc(splitter, letters);
    if (split == nullptr) {
      std::printf("%s: cannot be split\n", letters);
      ++failures;
      continue;
    }
    std::string line = std::string(letters) + ": " + joined(split->tokens, false);
    const std::string typed = joined(split->tokens, true);
    if (typed != joined(split->tokens, false)) line += " (typed " + typed + ")";
    if (!split->suggested.empty()) line += " (suggested " + joined(split->suggested, false) + ")";
    std::printf("%s\n", line.c_str());
    QAContextObjectRelease(split);
  }
  return failures == 0 ? 0 : 1;
}
