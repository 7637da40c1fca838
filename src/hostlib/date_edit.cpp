#include "hostlib/date_edit.h"

#include "engine/date_time.h"
#include "hostlib/consiste.h"

namespace ped::hostlib {

namespace date_time = engine::date_time;

bool TDateEditPlus::isEmpty() const { return consiste::EmptyString(text()); }

double TDateEditPlus::GetDate() const {
  if (isEmpty()) return date_time::kNoDate;
  const auto d = date_time::fromBrazilian(text());
  return d ? date_time::datePart(*d) : date_time::kNoDate;
}

bool TDateEditPlus::IsDateValid() const { return !isEmpty() && date_time::fromBrazilian(text()).has_value(); }

void TDateEditPlus::CheckValidDate() const {
  if (!isEmpty() && !IsDateValid()) throw InvalidDate("'" + text() + "' não é uma data válida.");
}

void TDateEditPlus::SetDate(double date) {
  setTyped(date == date_time::kNoDate ? std::string() : date_time::toBrazilian(date_time::datePart(date)));
}

void TDateEditPlus::setTyped(std::string typed) {
  setText(std::move(typed));
  setFontColor(IsDateValid() ? kValidColor : kPlainColor);
}

}  // namespace ped::hostlib
