// The window's logic as the direct link feeds it: the reader's presses, codes cut when a device
// goes or loses events, and the link in use, which decides whose F12 counts and what each
// record names as the code's way in.
#pragma once

#include "link/direct_link.h"
#include "link/guarded_light.h"
#include "ui/code_recorder.h"
#include "ui/form1.h"
#include "ui/link_route.h"

namespace varnel {

// Where the program's light shows while the link is in `status`: the readers' own lights, the
// window system's indicator, or nowhere.
LitLights LightPlace(const LinkStatus& status);

class LinkedForm {
 public:
  // `recorder` may be null: no records are kept. `guarded`, the light the form drives, if a
  // guardian watches it, is told where the light shows as the link comes and goes.
  LinkedForm(Form1& form, CodeRecorder* recorder, GuardedLight* guarded = nullptr)
      : form_(form), recorder_(recorder), guarded_(guarded) {}

  KeyRoute& Route() { return route_; }
  void ReaderF12(bool down, KeyTime time) { route_.ReaderF12(down, time); }
  void CutCode(bool evenIfFull) { form_.CutCode(evenIfFull); }
  void LinkChanged(const LinkStatus& status);

  // Without a window nobody sees the program start, so each time a reader is taken up where
  // there was none, its light shows for two seconds as it does at start-up.
  void GreetEachReader() { greet_ = true; }

 private:
  Form1& form_;
  KeyRoute route_{form_};
  CodeRecorder* recorder_;
  GuardedLight* guarded_;
  bool greet_ = false;
  bool direct_ = false;
};

}  // namespace varnel
