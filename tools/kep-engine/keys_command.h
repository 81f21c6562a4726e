// The "keys" subcommand: types a key script into one conversation and prints what the engine
// shows and commits after each key.
#pragma once

int run_keys(int argc, char** argv);
