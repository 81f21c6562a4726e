// Subcommands over the shipped tables: single characters of a syllable, readings of hanzi and
// the engine's start-up.
#pragma once

int run_query_py(int argc, char** argv);
int run_hz(int argc, char** argv);
int run_init(int argc, char** argv);
