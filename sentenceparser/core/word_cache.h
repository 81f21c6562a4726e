// Caches of the word search: InCache (main-library answers for words of 3..7 syllables, one ring
// per syllable number of the word's first syllable) and JPCache (abbreviation answers, one ring
// per two-letter number). Both live for the whole run; nothing clears them between requests.
#pragma once

namespace sentence {

void incache_init();
void jpcache_init();
void FreeCache();
void FreeJPCache();

// 1 a cached word (outputs written), 0 a cached miss, -1 not cached.
int in_incache(const char* key, int n, char* text, int* weight, unsigned char* flags);
int in_jpcache(const char* key, int n, char* text, int* weight);
// 1 added; 0 (or -1 for jp with n < 2) when the key has no slot.
int addinto_incache(const char* key, int n, const char* text, int weight, unsigned char flags,
                    int found);
int addinto_jpcache(const char* key, int n, const char* text, int weight, int found);

}  // namespace sentence
