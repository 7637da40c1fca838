#pragma once
// The host's date field (TDateEditPlus), as state: dd/mm/yyyy text, no time
// of day, 0 for "no date", a valid date shown in blue.

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>

#include "hostlib/controls.h"

namespace ped::hostlib {

class InvalidDate : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TDateEditPlus : public Control {
 public:
  static constexpr std::string_view kMask = "99/99/9999;1;_";
  static constexpr std::uint32_t kValidColor = 0x0000FF;  // blue
  static constexpr std::uint32_t kPlainColor = 0x000000;
  // The calendar's weekday names, Sunday first.
  static constexpr std::array<std::string_view, 7> kWeekdays = {"Domingo", "Segunda", "Terça", "Quarta",
                                                                "Quinta",  "Sexta",   "Sábado"};

  using Control::Control;

  // The day of the text (time dropped), 0 when the text is empty or not a date.
  double GetDate() const;
  // Shows the day of `date` (its time dropped); 0 empties the field.
  void SetDate(double date);
  // Sets what the operator typed and recolours the field.
  void setTyped(std::string text);
  bool IsDateValid() const;
  // Throws InvalidDate (Portuguese message) when the field holds text that is
  // not a date; an empty field passes.
  void CheckValidDate() const;
  bool isEmpty() const;
};

}  // namespace ped::hostlib
