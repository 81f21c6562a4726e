// Double pinyin: typed keys to syllables with the loaded scheme.
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "base/imelog.h"
#include "split/imesp.h"
#include "tables/pinyin_code.h"

char ime_sp_buffer[IME_SP_DISPLAY_BYTES] = {};
int ime_sp_buffer_len = 0;

bool ime_sp_is_syllable(const char* text, std::size_t length) {
  static const std::unordered_set<std::string_view> syllables = [] {
    std::unordered_set<std::string_view> all;
    for (int i = 0; ime_all_syllables[i] != nullptr; ++i) all.insert(ime_all_syllables[i]);
    return all;
  }();
  if (text == nullptr || length == 0 || length > IME_SP_PART_LETTERS) return false;
  return syllables.count(std::string_view(text, length)) != 0;
}

namespace {

bool is_syllable(const std::string& text) { return ime_sp_is_syllable(text.data(), text.size()); }

const ime_sp_parts_t* parts_of(const ime_sp_parts_t* table, unsigned char key) {
  return key < IME_SP_KEYS ? &table[key] : nullptr;
}

// The key display, kept inside ime_sp_buffer: keys that no longer fit are left out of the
// display only; the syllables are made all the same.
class Display {
 public:
  Display() { clear(); }
  void clear() {
    ime_sp_buffer_len = 0;
    ime_sp_buffer[0] = '\0';
  }
  void add(char c) {
    if (ime_sp_buffer_len + 1 >= IME_SP_DISPLAY_BYTES) return;
    ime_sp_buffer[ime_sp_buffer_len++] = c;
    ime_sp_buffer[ime_sp_buffer_len] = '\0';
  }
  char last() const { return ime_sp_buffer_len > 0 ? ime_sp_buffer[ime_sp_buffer_len - 1] : '\0'; }
};

// The syllable a final key completes, given the text its initial key gave and that key, or
// nothing when the key cannot follow (it then begins the next syllable).
std::optional<std::string> complete_syllable(const std::string& text, unsigned char initial_key,
                                             unsigned char key) {
  const ime_sp_parts_t* finals = parts_of(ime_schema.finals, key);
  const char prefix = ime_schema.prefix;
  auto each_part = [&](auto&& take) -> std::optional<std::string> {
    if (finals == nullptr) return std::nullopt;
    for (int slot = 0; slot < IME_SP_PARTS_PER_KEY; ++slot) {
      if (finals->length[slot] == 0) continue;
      if (auto syllable = take(std::string(finals->part[slot], finals->length[slot]))) return syllable;
    }
    return std::nullopt;
  };
  auto if_syllable = [](std::string candidate) -> std::optional<std::string> {
    return is_syllable(candidate) ? std::optional<std::string>(std::move(candidate)) : std::nullopt;
  };

  const bool zero_initial = initial_key == 'a' || initial_key == 'e' || initial_key == 'o';
  // Own-letter schemes type the one-letter finals by doubling them: "aa", "ee", "oo".
  if (zero_initial && key == initial_key && prefix == IME_SP_PREFIX_OWN_LETTER) {
    return if_syllable(text);
  }
  // ... and "a" with a final key gives that final alone ("ah" is ang).
  if (prefix == IME_SP_PREFIX_OWN_LETTER && initial_key == 'a') {
    if (auto syllable = each_part(if_syllable)) return syllable;
  }
  if (static_cast<char>(initial_key) != prefix) {
    if (auto syllable = each_part([&](const std::string& part) { return if_syllable(text + part); })) {
      return syllable;
    }
    return if_syllable(text + static_cast<char>(key));
  }
  // The prefix key stands for "no initial": the final alone is the syllable.
  if (auto syllable = each_part(if_syllable)) return syllable;
  return if_syllable(std::string(1, static_cast<char>(key)));
}

void copy_slot(char* slot, std::string_view text) {
  const std::size_t n = text.size() < IME_SYLLABLE_BYTES - 1 ? text.size() : IME_SYLLABLE_BYTES - 1;
  std::memcpy(slot, text.data(), n);
  slot[n] = '\0';
}

void add_key(char* slot, unsigned char key) {
  const std::size_t n = std::strlen(slot);
  if (n >= IME_SP_KEYS_PER_SYLLABLE) return;
  slot[n] = static_cast<char>(key);
  slot[n + 1] = '\0';
}

}  // namespace

int ime_get_py(const char* keys, int key_count, char (*syllables)[IME_SYLLABLE_BYTES],
               char (*syllable_keys)[IME_SYLLABLE_BYTES], int* count, int capacity) {
  if (keys == nullptr || key_count < 0 || syllables == nullptr || syllable_keys == nullptr ||
      count == nullptr || capacity <= 0) {
    return -1;
  }
  Display display;
  int made = 0;              // syllables finished; the current one is number `made`
  bool expect_final = false;
  std::string text;          // the current syllable as far as its initial key gave it
  unsigned char initial_key = 0;

  int i = 0;
  while (i < key_count && made < capacity) {
    const unsigned char key = static_cast<unsigned char>(keys[i]);
    IME_DEBUG("Process char:[%c] spy[%d][%s] mode=%d [%s]", key, made,
              expect_final ? syllable_keys[made] : "", expect_final ? 1 : 0, ime_sp_buffer);

    if (key == '\'') {
      if (expect_final) ++made;  // an initial typed alone
      expect_final = false;
      display.add('\'');
      ++i;
      continue;
    }

    if (!expect_final) {
      if (key < 'a' || key > 'z') {
        made = 0;
        break;
      }
      if (i > 0 && display.last() != '\'') display.add('\'');
      display.add(static_cast<char>(key));
      const ime_sp_parts_t* initial = parts_of(ime_schema.initials, key);
      text = initial->length[0] != 0 ? std::string(initial->part[0], initial->length[0])
                                     : std::string(1, static_cast<char>(key));
      copy_slot(syllables[made], text);
      syllable_keys[made][0] = '\0';
      add_key(syllable_keys[made], key);
      initial_key = key;
      if (i == key_count - 1) {
        ++made;
      } else {
        expect_final = true;
      }
      ++i;
      continue;
    }

    expect_final = false;
    if (std::optional<std::string> syllable = complete_syllable(text, initial_key, key)) {
      display.add(static_cast<char>(key));
      copy_slot(syllables[made], *syllable);
      add_key(syllable_keys[made], key);
      ++made;
      ++i;
    } else {
      // The key begins the next syllable; this one stands as its initial gave it.
      ++made;
    }
  }
  *count = made;
  return 0;
}
