// The user phrase database as the server keeps it: read again when another program changed
// it, written when another program needs it on disk. Both run under the engine mutex.
#pragma once

namespace imkkep {

// Ends every composition that shows, lists or chose a user phrase: the phrases are about to be
// released, and nothing may point into them afterwards.
void KEPEndCompositionsWithUserPhrases();

// Drops the phrases in memory without writing and reads udb.lib again. 0, or -1 when it
// cannot be read (logged).
int KEPReloadUserPhrases();

// Writes the phrases in memory to udb.lib and reads the file back, so that what other
// programs added meanwhile is offered too. true only when udb.lib now holds them: a
// read-only database or a failed write is logged, and the phrases stay in memory.
bool KEPSaveUserPhrases();

}  // namespace imkkep
