#include "sentenceparser/core/hanzi_runs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sentenceparser/core/engine_state.h"
#include "sentenceparser/core/group_search.h"
#include "sentenceparser/core/reading_library_layout.h"
#include "sentenceparser/core/sp_chars.h"
#include "sentenceparser/core/sp_file.h"
#include "sentenceparser/core/text_clip.h"
#include "sentenceparser/core/word_tests.h"

namespace sentence {

CiBuffer Ci;
QyUnit Qy_Unit[kQyUnitCapacity];
int Cur_PreQyNum = 0;

namespace {

constexpr char kPieceSeparator = '+';
constexpr int kPartWhole = 0;
constexpr int kPartLast = 1;
constexpr int kPartMiddle = 2;
constexpr int kPartFirst = 3;

SpFile* open_data_file(const std::string& name) {
  if (InputProperty.DataPath == nullptr) return nullptr;
  char path[512];
  const int written = std::snprintf(path, sizeof path, "%s%s", InputProperty.DataPath, name.c_str());
  if (written <= 0 || static_cast<std::size_t>(written) >= sizeof path) return nullptr;
  return _fopen(path, kOpenRead);
}

// Characters in a run of GBK text, reading no further than a full buffer.
int character_count(const char* run) {
  return run != nullptr ? static_cast<int>(strnlen(run, kRunBytesMax - 1) / 2) : 0;
}

// Pending characters from..to (0-based, inclusive) into out (2 x count + 1 bytes).
void pending_text(int from, int to, char* out) {
  std::size_t length = 0;
  for (int p = from; p <= to; ++p) {
    out[length++] = static_cast<char>(Ci.items[p][0]);
    out[length++] = static_cast<char>(Ci.items[p][1]);
  }
  out[length] = '\0';
}

bool pending_word(int from, int to, int mode) {
  char text[2 * kHanziWindowMax + 1];
  if (from < 0 || to - from + 1 > kHanziWindowMax) return false;
  pending_text(from, to, text);
  return IsHzWord(text, mode) == 1;
}

// Marks word ends (2) and dead starts (3) among pending positions 0..n.
void mark_pending(int n) {
  for (int s = 0;;) {
    int b = s;
    while (b <= n && Ci.state[b] == kCiNoStart) ++b;
    if (b > n) return;
    int c = n;
    while (c >= s && Ci.state[c] != kCiWordEnd) --c;
    if (c < s) c = -1;
    s = b + 1;
    const int e = std::min(b + kHanziWindowMax - 1, n);
    if (e < c) continue;
    bool dead = false;
    for (int t = std::max(b, c) + 1; t <= e; ++t) {
      if (pending_word(b, t, 1)) {
        // A longer word counts only where its shorter head is a word too.
        const bool chained = t - b == 1 || pending_word(b, t - 1, 1);
        if (chained && Ci.state[t] != kCiNoStart) Ci.state[t] = kCiWordEnd;
      } else if (!pending_word(b, t, 0)) {
        Ci.state[b] = kCiNoStart;
        dead = true;
        break;
      }
    }
    // A short window may still grow with the next character.
    if (!dead && Ci.state[b] != kCiNoStart && e - b > 2) Ci.state[b] = kCiNoStart;
  }
}

// The last position of the run that can go now, or -1.
int decided_run_end(int n) {
  for (int i = 0; Ci.state[i] == kCiNoStart && i < n;) {
    const unsigned char next = Ci.state[i + 1];
    if (next == kCiNoStart) {
      if (++i == n) return n;
      continue;
    }
    if (next == kCiWordEnd) return -1;
    // A word ending further on may still start at or before i.
    for (int j = i + 2; j <= n; ++j) {
      if (Ci.state[j] != kCiWordEnd) continue;
      for (int k = std::max(0, j - 3); k <= j - 2; ++k) {
        if (pending_word(k, j, 1)) return -1;
      }
    }
    return i;
  }
  return -1;
}

void output_run(const char* run) {
  if (character_count(run) == 1 || IsHzWord(run, 1) == 1) {
    MakeHZNCM(run, kClassHanzi, kPartWhole);
    return;
  }
  char cut[kCutRunBytesMax];
  FixQy(run, cut);
  const int pieces = 1 + static_cast<int>(std::count(cut, cut + std::strlen(cut), kPieceSeparator));
  int position = 0;
  for (int k = 0; k < pieces; ++k) {
    char piece[kRunBytesMax];
    GetNextItem(&position, cut, piece, sizeof piece);
    const int part = pieces == 1 ? kPartWhole : k == 0 ? kPartFirst : k == pieces - 1 ? kPartLast : kPartMiddle;
    MakeHZNCM(piece, kClassHanzi, part);
  }
}

// Emits pending positions 0..last and moves the rest to the front.
void emit_pending(int last) {
  char run[kRunBytesMax];
  pending_text(0, last, run);
  output_run(run);
  const int rest = Ci.count - (last + 1);
  std::memmove(Ci.items, Ci.items + last + 1, static_cast<std::size_t>(rest) * 2);
  Ci.count = static_cast<std::uint16_t>(rest);
  std::memset(Ci.state, kCiUndecided, sizeof Ci.state);
}

void add_unit(const char* run, int start, int end, int weight, bool chosen) {
  QyUnit& unit = Qy_Unit[Cur_PreQyNum++];
  unit = QyUnit{};
  unit.start = static_cast<std::uint8_t>(start);
  unit.end = static_cast<std::uint8_t>(end);
  unit.chosen = chosen ? 1 : 0;
  unit.weight = static_cast<std::uint16_t>(weight);
  const int characters = std::min(end - start + 1, kQyUnitCharsMax);
  std::memcpy(unit.text, run + 2 * (start - 1), static_cast<std::size_t>(2 * characters));
  unit.text[2 * characters] = '\0';
}

void copy_run(const char* run, char* out) {
  const std::size_t length = run != nullptr ? strnlen(run, kRunBytesMax - 1) : 0;
  if (length != 0) std::memcpy(out, run, length);
  out[length] = '\0';
}

}  // namespace

void ResetCi() {
  Ci.count = 0;
  std::memset(Ci.state, kCiUndecided, sizeof Ci.state);
}

void AppendHzchr(Dbch item) {
  if (Ci.count >= kCiCapacity) FixHzchr(1);
  Ci.items[Ci.count][0] = dbch_first(item);
  Ci.items[Ci.count][1] = dbch_second(item);
  Ci.state[Ci.count] = kCiUndecided;
  ++Ci.count;
}

void FixHzchr(int flush) {
  if (Ci.count == 0) return;
  const int n = Ci.count - 1;
  if (flush != 0) {
    emit_pending(n);
    return;
  }
  mark_pending(n);
  const int last = decided_run_end(n);
  if (last >= 0) emit_pending(last);
}

int FixQy(const char* run, char* out) {
  const int n = character_count(run);
  if (n <= 1) {
    copy_run(run, out);
    return 0;
  }
  if (n != 3) {
    MaxClip(run, out);
    return 1;
  }
  if (PrefixQy(run, out) == 1) return 1;
  GetAllMayCi(run);
  // Heaviest first; equal weights keep their table order.
  std::stable_sort(Qy_Unit, Qy_Unit + Cur_PreQyNum,
                   [](const QyUnit& a, const QyUnit& b) { return a.weight > b.weight; });
  bool taken[3] = {};
  for (int u = 0; u < Cur_PreQyNum; ++u) {
    QyUnit& unit = Qy_Unit[u];
    bool free = true;
    for (int p = unit.start; p <= unit.end; ++p) free = free && !taken[p - 1];
    if (!free || IsHzWord(unit.text, 1) != 1) continue;
    unit.chosen = 1;
    for (int p = unit.start; p <= unit.end; ++p) taken[p - 1] = true;
  }
  GetQyResult(run, out);
  return 1;
}

int MaxClip(const char* run, char* out) {
  Cur_PreQyNum = 0;
  char used[kRunBytesMax];
  copy_run(run, used);
  const int n = character_count(used);
  // Windows longer than kQyUnitCharsMax characters are never words.
  for (int size = std::min(n, kQyUnitCharsMax); size >= 2; --size) {
    for (int start = 0; start + size <= std::min(n, kQyPositionMax); ++start) {
      if (Cur_PreQyNum >= kQyUnitCapacity) return GetQyResult(run, out);
      char* window = used + 2 * start;
      const std::size_t bytes = static_cast<std::size_t>(2 * size);
      if (std::memchr(window, ' ', bytes) != nullptr) continue;
      char text[2 * kQyUnitCharsMax + 1];
      std::memcpy(text, window, bytes);
      text[bytes] = '\0';
      if (IsHzWord(text, 1) != 1) continue;
      add_unit(run, start + 1, start + size, 0, true);
      std::memset(window, ' ', bytes);
    }
  }
  return GetQyResult(run, out);
}

int PrefixQy(const char* run, char* out) {
  out[0] = '\0';
  if (run == nullptr) return 0;
  const std::size_t length = strnlen(run, 2 * kSplitRunMax + 1);
  const int n = static_cast<int>(length / 2);
  if (length % 2 != 0 || n < kSplitRunMin || n > kSplitRunMax) return 0;
  const int number = ComputeGbNo(run);
  if (number < 0 || number > kSplitFirstLevelMax) return 0;
  SpFile* index = open_data_file(split_library_name(n, ".inx"));
  if (index == nullptr) return 0;
  SpFile* records = open_data_file(split_library_name(n, ".lib"));
  if (records == nullptr) {
    _fclose(index);
    return 0;
  }
  int count = 0;
  const int first = GetLib22Pos(number, &count, index);
  _fclose(index);
  const long width = static_cast<long>(split_record_width(n));
  const long group_start = static_cast<long>(first) * width;
  if (first < 0 || count <= 0 || group_start + count * width > QAMMapSize(records)) {
    _fclose(records);
    return 0;
  }
  const std::size_t key_bytes = static_cast<std::size_t>(width - 2);
  int code = -1;
  // One probe: the record's key against the run after its first character; a record that
  // cannot be read compares as smaller, so the search moves on and ends.
  const auto probe = [&](long k) {
    unsigned char record[2 * kSplitRunMax];
    if (_fseek(records, group_start + k * width, SEEK_SET) != 0 ||
        _fread(records, record, static_cast<std::size_t>(width)) != static_cast<std::size_t>(width)) {
      return 1;
    }
    char key[2 * kSplitRunMax];
    std::memcpy(key, record, key_bytes);
    key[key_bytes] = '\0';
    DecodeChr(key, 0);
    const int order = std::strcmp(run + 2, key);
    if (order == 0) code = record[key_bytes] | (record[key_bytes + 1] << 8);
    return order;
  };
  search_group(count, probe);
  _fclose(records);
  if (code < 0) return 0;
  bool cut_before[kSplitRunMax] = {};
  for (const int position : {code / 1000, code / 100 % 10, code / 10 % 10, code % 10}) {
    if (position > 0 && position < n) cut_before[position] = true;
  }
  std::size_t written = 0;
  for (int p = 0; p < n; ++p) {
    if (cut_before[p]) out[written++] = kPieceSeparator;
    out[written++] = run[2 * p];
    out[written++] = run[2 * p + 1];
  }
  out[written] = '\0';
  return 1;
}

int GetWeight(const char* character, int length, int position) {
  if ((length != 2 && length != 3) || position < 1 || position > length) return 0;
  const int number = ComputeGbNo(character);
  if (number < 0) return 0;
  SpFile* weights = open_data_file(kPositionWeightsName);
  if (weights == nullptr) return 0;
  const long offset = static_cast<long>(number) * static_cast<long>(kPositionWeightBytes) +
                      (length == 2 ? 0 : 2) + position - 1;
  unsigned char weight = 0;
  const bool read = _fseek(weights, offset, SEEK_SET) == 0 && _fread(weights, &weight, 1) == 1;
  _fclose(weights);
  return read ? weight : 0;
}

int GetWeightOfQy(const char* run, int start, int end) {
  if (start < 1 || end < start || end > character_count(run)) return 0;
  int sum = 0;
  for (int p = start; p <= end; ++p) sum += GetWeight(run + 2 * (p - 1), end - start + 1, p - start + 1);
  return sum;
}

void GetAllMayCi(const char* run) {
  Cur_PreQyNum = 0;
  const int n = character_count(run);
  for (const int size : {3, 2}) {
    for (int start = 1; start + size - 1 <= n; ++start) {
      if (Cur_PreQyNum >= kQyUnitCapacity) return;
      const int end = start + size - 1;
      add_unit(run, start, end, GetWeightOfQy(run, start, end), false);
    }
  }
}

int GetQyResult(const char* run, char* out) {
  const int n = character_count(run);
  if (n <= 1) {
    copy_run(run, out);
    return 0;
  }
  std::size_t written = 0;
  for (int k = 1; k <= n; ++k) {
    bool continues = false;
    for (int u = 0; u < Cur_PreQyNum && !continues; ++u) {
      const QyUnit& unit = Qy_Unit[u];
      continues = unit.chosen != 0 && unit.start < k && k <= unit.end;
    }
    if (k > 1 && !continues) out[written++] = kPieceSeparator;
    out[written++] = run[2 * (k - 1)];
    out[written++] = run[2 * (k - 1) + 1];
  }
  out[written] = '\0';
  return 1;
}

int GetNextItem(int* position, const char* text, char* out, std::size_t out_size) {
  if (out == nullptr || out_size == 0) return 0;
  out[0] = '\0';
  if (position == nullptr || text == nullptr || *position < 0) return 0;
  int p = *position;
  std::size_t length = 0;
  for (; text[p] != '\0' && text[p] != kPieceSeparator; ++p) {
    if (length + 1 < out_size) out[length++] = text[p];
  }
  out[length] = '\0';
  if (text[p] == kPieceSeparator) ++p;
  *position = p;
  return static_cast<int>(length);
}

}  // namespace sentence
