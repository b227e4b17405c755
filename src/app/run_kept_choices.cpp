#include "app/run_kept_choices.h"

#include "choices/kept_choices.h"

namespace varnel {

int RunKeptChoices(const CommandLine& line, const ChoiceSay& say) {
  const std::unique_ptr<ChoiceStore> store = OpenChoiceStore();
  const std::unique_ptr<LoginStart> login = OpenLoginStart();
  if (line.action == CommandLine::Action::Forget) return ForgetChoices(*store, *login, say);
  return RememberChoices(*store, *login, Given(line), say);
}

}  // namespace varnel
