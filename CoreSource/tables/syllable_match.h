// The syllable test shared by user phrases and dictionary words: does a typed syllable accept
// a stored one (its initial letter and final code), with fuzzy pinyin as configured?
#pragma once

// A typed initial alone ("zh", or one letter other than a, e, o) accepts every syllable with
// that initial; otherwise the stored syllable is spelled out and compared, fuzzy pairs of
// initials (z/zh, c/ch, s/sh, l/n, k/g, f/h) and finals (an/ang, en/eng, in/ing, ian/iang,
// uan/uang) counting as equal while ime_fuzzy_mode and the pair's switch are on.
// 1 when accepted, else 0.
int ime_syllable_accepts(const char* typed, char initial, char final_code);

// True for "zh", "ch", "sh" and a single letter other than a, e, o: an initial typed alone.
bool ime_syllable_is_initial(const char* syllable);
