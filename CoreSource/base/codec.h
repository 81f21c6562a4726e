// The record codec: a reversible byte substitution under which dictionary records (dict.db)
// and hanzi information records (hzdb.db) are stored. The builders scramble records with
// ime_encode_str and the readers descramble fields with ime_decode_str. Every byte keeps its
// length, so a field can be decoded on its own.
//
// The two tables are part of the stored formats: changing them makes every data file written
// before unreadable.
#pragma once

#include <cstddef>

// Descrambles `length` bytes of `buffer` in place.
void ime_decode_str(void* buffer, std::size_t length);
// Scrambles `length` bytes of `buffer` in place.
void ime_encode_str(void* buffer, std::size_t length);

// The image of one byte under the decoding (getnew0) and the encoding (getnew1) substitution.
unsigned char getnew0(unsigned char byte);
unsigned char getnew1(unsigned char byte);

// Direction 0 decodes, 1 encodes `count` bytes in place; any other direction leaves them.
void ime_enc_dec_str(void* buffer, std::size_t count, int direction);
