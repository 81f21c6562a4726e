// The engine's file toolkit: every word-library file is opened through the engine's pool of
// mapped files, so a file opened once stays open and positioned reads are cheap. Paths may use
// '\' as the folder separator. No shell is ever run.
#pragma once

#include <cstddef>

#include "CoreSource/base/qammap.h"

namespace sentence {

using SpFile = QAMMap;

inline constexpr int kOpenRead = 1;
inline constexpr int kOpenWrite = 2;

// The pooled file of `path` (mode "r"/"rb": reading; "rw"/"wb": writing), rewound to 0; NULL
// when the pool is full of other paths or the file cannot be mapped.
SpFile* mfopen(const char* path, const char* mode);
// Turns every '\' of the path into '/' and opens it: mode bits 1 read, 2 write.
SpFile* _fopen(const char* path, int mode_bits);
SpFile* _fcreat(const char* path);
// Pooled files stay open until the pool closes at exit.
void _fclose(SpFile* file);
void mfclose();

std::size_t _fread(SpFile* file, void* buffer, std::size_t n);
std::size_t _fwrite(SpFile* file, const void* buffer, std::size_t n);
int _fseek(SpFile* file, long offset, int origin);

// One line of at most `max` - 1 bytes: '\r' dropped, '\n' ends it and is not stored. 1 when a
// line was read; at the end of the file 1 only when some bytes came before it.
int mygets(char* buffer, int max, SpFile* file);

// 0 on success, -1 (logged) on failure.
int DeleteFile(const char* path);
int CopyFile(const char* from, const char* to, int fail_if_exists);

// Decimal text of `value` (the radix is ignored); returns its length.
int _itoa(int value, char* text, int radix);
int itoa(int value, char* text, int radix);
void _strupr(char* text);
void _strlwr(char* text);

}  // namespace sentence
