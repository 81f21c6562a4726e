#include "IMKKEP/companions/KEPStatus.h"

#include "IMKKEP/app/KEPAppDelegate.h"
#include "IMKKEP/engine/KEPInputModes.h"

namespace imkkep {

platform::plist::Dictionary KEPGetStatus() {
  platform::plist::Dictionary status;
  status.set(kStatusFullWidthPunct, KEPMenuItemOn(kMenuFullPunct));
  status.set(kStatusFullWidthRoman, KEPMenuItemOn(kMenuFullWidthRoman));
  status.set(kStatusEnglish, KEPMenuItemOn(kMenuRoman));
  status.set(kStatusPinyin, KEPMenuItemOn(kMenuPinyin) || KEPMenuItemOn(kMenuPlug));
  status.set(kStatusTraditional, KEPMenuItemOn(kMenuTradOutput));
  return status;
}

}  // namespace imkkep
