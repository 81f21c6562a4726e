// IMKKEPSentenceParser: the background service that turns whole pinyin inputs into sentences
// for the input method, on the port KEPCPServerPort. SIGTERM (power-off) ends it. Its trace goes
// to the engine's log in the data folder.
#include <signal.h>

#include "CoreSource/base/imelog.h"
#include "platform/runloop.h"
#include "sentenceparser/service/sentence_controller.h"

int main() {
  ::signal(SIGXFSZ, SIG_IGN);  // a file-size limit fails a learned file's write, not the service
  ime_log_func = _ime_log_func;
  ime_init_debug_level();

  platform::RunLoop loop;
  SentenceParserController controller(loop);
  // Before the port exists, so that a SIGTERM from anyone who already saw the port is always a
  // clean power-off.
  loop.on_power_off([&controller] { controller.systemShutdown(); });
  if (!controller.awakeFromNib()) return 1;
  loop.run();
  QCPFinalize();
  return 0;
}
