#include "app/second_start.h"

namespace varnel {

SecondStart DecideSecondStart(const std::optional<RunningVarnel>& holder, const CommandLine& line) {
  if (!holder) {
    return {SecondStart::Action::Say, 1,
            "varnel: another Varnel holds this session and does not say which it is."};
  }
  const RunningVarnel& running = *holder;
  const std::string which = "process " + std::to_string(running.pid) +
                            (running.window ? ", with a window" : ", without a window");
  // Only the Varnel that decides the codes can type them; following or bringing a window
  // forward would quietly type nothing.
  if (line.type) {
    return {SecondStart::Action::Say, 1,
            "varnel: Varnel already runs in this session (" + which +
                "); it alone can type the codes: end it, then start it with --type."};
  }
  // A program that wants the codes gets them from the one Varnel that has the reader; a second
  // service would only contend for it.
  if (line.print && !line.headless) {
    return {SecondStart::Action::Follow, 0,
            "varnel: following the Varnel that runs in this session (" + which +
                "): its codes come here as it decides them."};
  }
  if (line.headless) {
    return {SecondStart::Action::Say, 1,
            "varnel: Varnel already runs in this session (" + which +
                "); one at a time, as both would answer the same reader."};
  }
  if (running.window) return {SecondStart::Action::Activate, 0, {}};
  // What the box says where the window cannot show that one's codes.
  return {SecondStart::Action::View, 1,
          "Varnel è già in esecuzione senza finestra (processo " + std::to_string(running.pid) +
              "): un solo Varnel alla volta risponde al lettore. Per vederne i codici, in un "
              "terminale: varnel --print"};
}

}  // namespace varnel
