#include "app/tray_tip.h"

#include "model/product.h"
#include "notices/bounded_format.h"

namespace mw {

std::string TrayTipText(const WaitingRuns::Summary& waiting) {
  if (waiting.count == 0) return kTrayTip;
  return FormatBounded("%s - 待機中 %u 件: %s",
                       {kTrayTip, static_cast<unsigned>(waiting.count), waiting.first_name},
                       kTrayTipBufferSize);
}

}  // namespace mw
