// The learned-word library (apr/youxian.lib, 676 buckets of 50 entries by the first two letters
// of the pinyin) and the user character order (apr/user.dan), both per user.
#pragma once

namespace sentence {

inline constexpr int kLearnedBuckets = 676;
inline constexpr int kLearnedSlots = 50;
inline constexpr int kLearnedLineRoom = 50;  // bytes of text an entry holds
inline constexpr int kLearnedLineMax = 48;   // longest line a new entry may have
inline constexpr int kUserDanRows = 459;

// Start-up: backup, load the library and the order table.
int AllocUserLib(int reload);
void BakeupUserLib();
// 1 when youxian.lib was read.
int LoadAutoCi(int reload);
// Writes youxian.lib (atomically: temporary file, rename); 1 when written. The store is emptied
// only after the rename succeeded.
int SaveAutoCi(int force);
// Saves both stores once (power-off: 1; exit: 0).
void FreeUserLib(int at_power_off);
int LoadUserDan(int reload);
int SaveUserDan();

// Insert or update; `pinyin` and `count` are rewritten in place (writable, at least 64 bytes).
// 1 when stored or updated.
int save_memci(char* pinyin, const char* word, char* count, const char* type, int check);
// The learned word of `pinyin` ("ni-hao"), `characters` the pattern ("AA" wildcards). Single
// mode: 1 with the word and its count; list mode: the number of words written.
int in_memci(const char* pinyin, const char* characters, char* output, int* best_count,
             int list_mode);

// The user-defined word (type U, free key) the input names; 1 with the word.
int IsUserDefineWord(const char* input, char* output);

// The learned word of a word-library key (or an upper-case abbreviation key); its count, 0.
int in_youxian(const char* key, int n, char* text, int* count, int listing);
// The weight of a learned word.
int fix_user_wordpl(int n, int count, int listing);

}  // namespace sentence
