// The kept choices as a start meets them: read once, with whatever could not be used said once;
// and --remember and --forget, which change what is kept and run nothing.
#pragma once

#include <functional>
#include <string>

#include "choices/choice_store.h"
#include "choices/choices.h"
#include "choices/login_start.h"

namespace varnel {

using ChoiceSay = std::function<void(const std::string& line)>;

// The kept choices; a store that cannot be read, or values it holds that Varnel does not know,
// are said once and ignored value by value: they never stop the program.
Choices LoadKept(ChoiceStore& store, bool takeF12Offered, const ChoiceSay& say);

// --remember: keeps what `given` says as the new defaults and changes nothing else. The exit
// status: 0, or 1 with the reason said.
int RememberChoices(ChoiceStore& store, LoginStart& login, const GivenChoices& given,
                    const ChoiceSay& say);
// --forget: drops all that was kept, the start at login included.
int ForgetChoices(ChoiceStore& store, LoginStart& login, const ChoiceSay& say);

}  // namespace varnel
