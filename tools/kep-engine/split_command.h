// The "split" subcommand: runs the engine's pinyin splitter over typed letters.
#pragma once

int run_split(int argc, char** argv);
