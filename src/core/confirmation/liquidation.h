#pragma once
// What both liquidations share: the justification required, the questions,
// and the stock moved before anything is settled.

#include <functional>
#include <string>
#include <string_view>

#include "core/confirmation/confirmation_run.h"

namespace ped::core {

// Vd_JustExcl(true), then `question` and, when settling moves stock
// (IDEVOLESTLIQMAN), "Conf_EvolEst". On "Sim" to both the operation begins
// (ConfirmationRun::begin) under the busy indicator of a confirmation: the
// stock update with the text `stockFilter` gives, when stock moves, then
// `settle`. Returns whether it ran that far.
bool liquidate(ConfirmationRun& run, std::string_view question,
               const std::function<std::string()>& stockFilter, const std::function<void()>& settle);

}  // namespace ped::core
