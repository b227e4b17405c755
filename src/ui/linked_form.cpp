#include "ui/linked_form.h"

namespace varnel {

LitLights LightPlace(const LinkStatus& status) {
  if (status.direct) return {false, status.paths};
  return {status.windowLight == WindowLight::Indicator, {}};
}

void LinkedForm::LinkChanged(const LinkStatus& status) {
  route_.SetDirect(status.direct);
  if (guarded_) guarded_->MoveTo(LightPlace(status));
  if (recorder_) {
    recorder_->SetLink(status.direct, status.direct && !status.paths.empty()
                                          ? std::optional(status.paths.front())
                                          : std::nullopt);
  }
  if (greet_ && status.direct && !direct_) form_.ShowStartupLight();
  direct_ = status.direct;
}

}  // namespace varnel
