#include "ui/followed_view.h"

#include "output/recorded_code.h"
#include "process/text.h"

namespace varnel {
namespace {

std::string Service(const RunningVarnel& running) {
  return "Il servizio Varnel (processo " + std::to_string(running.pid) + ")";
}

}  // namespace

FollowedView::FollowedView(Form1& form, const RunningVarnel& running)
    : form_(form), running_(running) {
  form_.LoadAsViewer();
  form_.ShowLink("Codici del servizio Varnel (processo " + std::to_string(running.pid) +
                 "), che riceve il lettore e gli risponde: questa finestra li mostra soltanto");
}

bool FollowedView::Take(std::string_view bytes) {
  std::string records = lines_.Take(bytes);
  TakeWholeLines(records, [this](std::string_view line) {
    if (const std::optional<CodeOutcome> outcome = RecordedOutcome(line)) {
      form_.ShowFollowed(*outcome);
    }
    return true;
  });
  return !lines_.Refusal();
}

std::string FollowedView::EndText(bool serviceEnded) const {
  if (lines_.Refusal()) {
    return Service(running_) + " non manda i suoi codici a questa finestra: " + *lines_.Refusal();
  }
  if (serviceEnded) {
    return Service(running_) +
           " è terminato: questa finestra non ne riceve più i codici e si chiude. Per ricevere "
           "il lettore, avviare di nuovo Varnel.";
  }
  return Service(running_) +
         " ha smesso di mandare i suoi codici a questa finestra, che si chiude.";
}

std::string FollowedView::EndLine(bool serviceEnded) const {
  return EndOfFollowing(running_, serviceEnded, lines_.Refusal()).text;
}

std::string FollowedView::StartLine() const {
  return "varnel: showing the codes of the Varnel that runs in this session (process " +
         std::to_string(running_.pid) +
         ", without a window): it has the reader; this window lights nothing and types nothing.";
}

}  // namespace varnel
