#include <cmath>

#include "engine/data_set.h"
#include "engine/date_time.h"
#include "engine/error.h"
#include "engine/text.h"
#include "engine/value_text.h"

namespace ped::engine {

using value_text::formatFloat;
using value_text::parseNumber;
using value_text::trim;

Field::Field(DataSet& owner, std::size_t index, FieldDef def)
    : owner_(&owner), index_(index), def_(std::move(def)) {}

int Field::displayWidth() const {
  if (def_.displayWidth > 0) return def_.displayWidth;
  switch (def_.type) {
    case FieldType::Text:
      return size();
    case FieldType::DateTime:
      return 18;
    case FieldType::Boolean:
      return 5;
    default:
      return 10;
  }
}

bool Field::isNull() const { return owner_->currentValue(index_).isNull(); }
Value Field::value() const { return owner_->currentValue(index_); }

std::string Field::asString() const { return asStringOf(value()); }

std::string Field::asStringOf(const Value& v) const {
  if (v.isNull()) return {};
  if (v.isText()) return v.text();
  if (v.isBoolean()) return v.boolean() ? "True" : "False";
  if (v.isInteger()) return std::to_string(v.integer());
  if (def_.type == FieldType::DateTime) {
    const double d = v.number();
    return date_time::toBrazilian(d, d != date_time::datePart(d));
  }
  return formatFloat(v.number());
}

double Field::asFloat() const {
  const Value v = value();
  if (v.isNull()) return 0;
  if (v.isFloat()) return v.number();
  if (v.isInteger()) return static_cast<double>(v.integer());
  if (v.isBoolean()) return v.boolean() ? 1 : 0;
  if (auto d = parseNumber(v.text())) return *d;
  throw EngineError("'" + v.text() + "' não é um valor numérico válido (campo " + def_.name + ").");
}

std::int64_t Field::asInteger() const {
  const Value v = value();
  if (v.isInteger()) return v.integer();
  const double d = asFloat();
  if (!(std::abs(d) < 9.2e18))
    throw EngineError("Valor fora do intervalo de inteiros (campo " + def_.name + ").");
  return static_cast<std::int64_t>(std::llround(d));
}

bool Field::asBoolean() const {
  const Value v = value();
  if (v.isNull()) return false;
  if (v.isBoolean()) return v.boolean();
  if (v.isText()) {
    const std::string f = text::fold(v.text());
    if (f == "true" || f == "s" || f == "sim" || f == "t") return true;
    if (f == "false" || f == "n" || f == "não" || f == "f") return false;
    throw EngineError("'" + v.text() + "' não é um valor lógico válido (campo " + def_.name + ").");
  }
  return asFloat() != 0;
}

double Field::asDateTime() const {
  const Value v = value();
  if (v.isNull()) return 0;
  if (v.isText()) {
    if (auto d = date_time::fromBrazilian(v.text())) return *d;
    if (auto d = date_time::fromIso(v.text())) return *d;
    throw EngineError("'" + v.text() + "' não é uma data válida (campo " + def_.name + ").");
  }
  return asFloat();
}

Value Field::oldValue() const {
  const DataSet& ds = *owner_;
  if (!ds.hasCurrentRow()) return {};
  const RowId row =
      ds.state_ == DataSetState::CalcFields && !ds.calcIntoBuffer_ ? ds.calcRow_ : ds.currentRow();
  if (row >= ds.mergeWatermark_) return {};  // inserted since the last merge
  if (auto it = ds.changeLog_.find(row); it != ds.changeLog_.end()) {
    for (const auto& [f, v] : it->second.original)
      if (f == index_) return v;
  }
  if (ds.state_ == DataSetState::Insert && row == ds.editRow_) return {};
  return ds.table_.column(index_).cell(row).toValue();
}

std::string Field::displayText() const {
  std::string text = asString();
  if (onGetText) onGetText(*this, text, true);
  return text;
}

void Field::setValue(const Value& v) { owner_->assign(*this, owner_->convertForField(*this, v)); }

void Field::setString(std::string_view s) {
  if (def_.type != FieldType::Text) return setValue(Value(s));
  // Hot path of every text assignment: no temporary strings.
  if (!text::isAscii(s) && !text::isValidUtf8(s))
    throw EngineError("Texto inválido (UTF-8) para o campo " + def_.name + ".");
  if (s.size() > static_cast<std::size_t>(size())) s = text::truncate(s, static_cast<std::size_t>(size()));
  if (Column* direct = owner_->directColumn(*this)) {
    direct->setText(owner_->editRow_, s);
  } else {
    Value& slot = owner_->slotFor(*this);
    if (s.empty())
      slot.reset();
    else
      slot.assignText(s);
  }
  owner_->assigned(*this);
}

void Field::setFloat(double d) {
  if (def_.type != FieldType::Float || !std::isfinite(d)) return setValue(Value(d));
  if (Column* direct = owner_->directColumn(*this))
    direct->setNumber(owner_->editRow_, d);
  else
    owner_->slotFor(*this).assignNumber(d);
  owner_->assigned(*this);
}

Value DataSet::convertForField(const Field& f, const Value& v) const {
  if (v.isNull()) return v;
  switch (f.type()) {
    case FieldType::Text: {
      std::string s;
      if (v.isText()) {
        if (!text::isValidUtf8(v.text()))
          throw EngineError("Texto inválido (UTF-8) para o campo " + f.name() + ".");
        s = std::string(text::truncate(v.text(), static_cast<std::size_t>(f.size())));
      } else if (v.isFloat()) {
        s = formatFloat(v.number());
      } else if (v.isInteger()) {
        s = std::to_string(v.integer());
      } else {
        s = v.boolean() ? "True" : "False";
      }
      if (s.empty()) return {};
      return Value(std::move(s));
    }
    case FieldType::Float:
    case FieldType::DateTime: {
      if (v.isFloat()) {
        if (!std::isfinite(v.number()))
          throw EngineError("Valor numérico inválido para o campo " + f.name() + ".");
        if (f.type() == FieldType::DateTime && v.number() == 0) return {};
        return v;
      }
      if (v.isInteger()) return Value(static_cast<double>(v.integer()));
      if (v.isText()) {
        if (trim(v.text()).empty()) return {};
        if (f.type() == FieldType::DateTime) {
          if (auto d = date_time::fromBrazilian(v.text())) return Value(*d);
          if (auto d = date_time::fromIso(v.text())) return Value(*d);
          throw EngineError("'" + v.text() + "' não é uma data válida (campo " + f.name() + ").");
        }
        if (auto d = parseNumber(v.text())) return Value(*d);
        throw EngineError("'" + v.text() + "' não é um valor numérico válido (campo " + f.name() + ").");
      }
      return Value(v.boolean() ? 1.0 : 0.0);
    }
    case FieldType::Integer: {
      if (v.isInteger()) return v;
      double d = 0;
      if (v.isFloat()) {
        d = v.number();
      } else if (v.isText()) {
        if (trim(v.text()).empty()) return {};
        auto p = parseNumber(v.text());
        if (!p)
          throw EngineError("'" + v.text() + "' não é um valor inteiro válido (campo " + f.name() + ").");
        d = *p;
      } else {
        return Value(std::int64_t{v.boolean() ? 1 : 0});
      }
      if (!std::isfinite(d) || std::trunc(d) != d || std::abs(d) >= 9.2e18)
        throw EngineError("Valor inteiro inválido para o campo " + f.name() + ".");
      return Value(static_cast<std::int64_t>(d));
    }
    case FieldType::Boolean:
      if (v.isBoolean()) return v;
      if (v.isInteger()) return Value(v.integer() != 0);
      if (v.isFloat()) return Value(v.number() != 0);
      {
        const std::string t = text::fold(trim(v.text()));
        if (t == "true" || t == "s" || t == "t" || t == "sim") return Value(true);
        if (t == "false" || t == "n" || t == "f" || t == "não") return Value(false);
      }
      throw EngineError("'" + v.text() + "' não é um valor lógico válido (campo " + f.name() + ").");
  }
  return v;
}

}  // namespace ped::engine
