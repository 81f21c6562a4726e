// Names worth learning: Chinese personal names, transcribed Western names, place names.
#pragma once

namespace sentence {

int IsChineseName(const char* text);
int is_ChineseName3(const char* name);
int InRm3(const char* given);
int IsWestName(const char* text);
int IsDmName(const char* text);

}  // namespace sentence
