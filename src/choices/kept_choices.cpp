#include "choices/kept_choices.h"

namespace varnel {
namespace {

int Failed(const ChoiceSay& say, const std::string& what, const std::string& problem) {
  say("varnel: cannot " + what + ": " + problem);
  return 1;
}

}  // namespace

Choices LoadKept(ChoiceStore& store, bool takeF12Offered, const ChoiceSay& say) {
  const ChoiceStore::Read stored = store.ReadAll();
  const KeptRead kept = ReadKept(stored.values, takeF12Offered);
  const std::string line = KeptProblemLine(store.Where(), stored.problem, kept.ignored);
  if (!line.empty()) say(line);
  return kept.choices;
}

int RememberChoices(ChoiceStore& store, LoginStart& login, const GivenChoices& given,
                    const ChoiceSay& say) {
  std::string problem;
  const KeptValues values = KeptValuesOf(given);
  if (!values.empty() && !store.Keep(values, problem)) {
    return Failed(say, "keep the choices in " + store.Where(), problem);
  }
  if (given.startAtLogin && !login.Set(*given.startAtLogin, problem)) {
    return Failed(say, std::string(*given.startAtLogin ? "write " : "remove ") + login.Where(),
                  problem);
  }
  return 0;
}

int ForgetChoices(ChoiceStore& store, LoginStart& login, const ChoiceSay& say) {
  std::string problem;
  if (!store.Forget(problem)) return Failed(say, "drop " + store.Where(), problem);
  if (!login.Set(false, problem)) return Failed(say, "remove " + login.Where(), problem);
  return 0;
}

}  // namespace varnel
