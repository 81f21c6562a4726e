// Where dialogs say how they ended ("... answered by default"): standard error, the log of a
// program without a terminal, unless the program or a test takes the lines.
#pragma once

#include <string_view>

namespace platform::ui {

using DialogLogSink = void (*)(std::string_view line);

// nullptr restores standard error.
void set_dialog_log_sink(DialogLogSink sink);
void dialog_log(std::string_view line);

}  // namespace platform::ui
