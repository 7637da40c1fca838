// The data set's filter expressions on arbitrary text: a FilterError or a
// filter, never a crash.

#include <cstdint>
#include <string_view>

#include "engine/error.h"
#include "engine/filter_expression.h"
#include "engine/text.h"

using namespace ped::engine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const FilterFieldResolver fields = [](std::string_view name) -> std::optional<FilterField> {
    static const std::pair<const char*, FieldType> known[] = {{"NRPEDIDO", FieldType::Text},
                                                              {"QTEXP", FieldType::Float},
                                                              {"NRITEM", FieldType::Integer},
                                                              {"IDATIVO", FieldType::Boolean},
                                                              {"DTVALILOTE", FieldType::DateTime}};
    for (int i = 0; i < 5; ++i)
      if (text::equalsIgnoreCase(name, known[i].first)) return FilterField{i, known[i].second};
    return std::nullopt;
  };
  try {
    const FilterExpression f = FilterExpression::parse(text, fields);
    for (const EqualityTerm& term : f.requiredEqualities())
      if (term.field < 0 || term.field > 4) __builtin_trap();
  } catch (const FilterError&) {
  }
  return 0;
}
