// Learning from a committed sentence: the words and abbreviations the user taught by
// correcting the conversion go into the learned-word library.
#pragma once

namespace sentence {

// 1 after learning; 0 when the text does not match the pinyin's items.
int LearnText(const char* pinyin, const char* text, int mode);

// Where LearnText hands each word (save_memci's signature); the learned-word library unless a
// test records the words instead.
using LearnedWordSink = int (*)(char* pinyin, const char* word, char* count, const char* type,
                                int abbreviation);
extern LearnedWordSink LearnedWordStore;

}  // namespace sentence
