#include "sentenceparser/core/engine_state.h"

namespace sentence {

InputPropertyRecord InputProperty;
char myFullPath[512];

Item NCM[kMaxItems];
Item NCM1[kMaxItems];
Item NCM2[kMaxItems];
int CurrentItem = 0;
Item gNitem[kMaxLearnItems];

int MaxWordNum = 7;
unsigned char PyRc[kPyRcSize];
char EnterChr[3] = {'\r', '\n', '\0'};

char part1[kRequestPartSize];
char part2[kRequestPartSize];

}  // namespace sentence
