// The version-10 key index: a CHM hash over the key list, built in memory (no key file).
#include <cmph.h>

#include <cstdio>
#include <memory>

#include "table_index.h"

namespace codetable {

namespace {

struct AdapterDeleter {
  void operator()(cmph_io_adapter_t* adapter) const { cmph_io_vector_adapter_destroy(adapter); }
};
struct HashDeleter {
  void operator()(cmph_t* hash) const { cmph_destroy(hash); }
};
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool WriteChmIndex(const std::string& path, const std::vector<KeyOffset>& keys, std::string* error) {
  if (keys.empty()) {
    *error = "No keys to index.";
    return false;
  }
  // CMPH reads keys as C strings; the pair checks keep NUL bytes out of them.
  std::vector<char*> vector;
  vector.reserve(keys.size());
  for (const KeyOffset& key : keys) vector.push_back(const_cast<char*>(key.key.c_str()));
  std::unique_ptr<cmph_io_adapter_t, AdapterDeleter> source(
      cmph_io_vector_adapter(vector.data(), static_cast<cmph_uint32>(vector.size())));
  cmph_config_t* config = cmph_config_new(source.get());
  cmph_config_set_algo(config, CMPH_CHM);
  cmph_config_set_verbosity(config, 0);
  std::unique_ptr<cmph_t, HashDeleter> hash(cmph_new(config));
  cmph_config_destroy(config);
  if (hash == nullptr) {
    *error = "Generate the key index failed!";
    return false;
  }
  // The engine reads offset slot i for the i-th key: that is what CHM promises; make sure.
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::string& key = keys[i].key;
    if (cmph_search(hash.get(), key.data(), static_cast<cmph_uint32>(key.size())) != i) {
      *error = "The key index does not keep the key order.";
      return false;
    }
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (file == nullptr || !cmph_dump(hash.get(), file.get()) || std::fflush(file.get()) != 0) {
    *error = "Write the key index failed!";
    return false;
  }
  return true;
}

}  // namespace codetable
