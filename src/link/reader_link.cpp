#include "link/reader_link.h"

namespace varnel {

LitLights LightPlace(const LinkStatus& status) {
  if (status.direct) return {false, status.paths};
  return {status.windowLight == WindowLight::Indicator, {}};
}

}  // namespace varnel
