// "kep-engine" with no argument on a terminal: type pinyin and watch the marked text, the
// candidate page and the committed text change key by key. Escape quits.
#pragma once

int run_interactive();
