#include "sql/result_builder.h"

#include <charconv>
#include <cmath>

#include "engine/date_time.h"
#include "engine/text.h"
#include "sql/timestamp_text.h"

namespace ped::sql {

using engine::FieldType;

namespace {
// PostgreSQL folds unquoted names to lower case, SQLite keeps them as written;
// the schema's names are upper case, and so are the fields that read them.
std::string upperAscii(std::string s) {
  for (char& ch : s)
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 0x20);
  return s;
}
}  // namespace

ResultBuilder::ResultBuilder(std::vector<SourceColumn> columns, const Layout& layout, std::string_view what)
    : columns_(std::move(columns)), adopt_(layout.empty()), what_(what) {
  fieldOf_.assign(columns_.size(), -1);
  if (adopt_) {
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      const SourceColumn& col = columns_[c];
      layout_.push_back({upperAscii(col.name), col.type.value_or(FieldType::Text), col.size, false});
      typeOpen_.push_back(!col.type);
      fieldOf_[c] = static_cast<int>(c);
    }
  } else {
    layout_ = layout;
    typeOpen_.assign(layout_.size(), false);
    for (std::size_t f = 0; f < layout_.size(); ++f) {
      if (layout_[f].calculated) continue;
      // Queries usually list their columns in the layout's order: try the
      // same position first.
      int found = -1;
      if (f < columns_.size() && fieldOf_[f] < 0 &&
          engine::text::equalsIgnoreCase(columns_[f].name, layout_[f].name))
        found = static_cast<int>(f);
      for (std::size_t c = 0; c < columns_.size() && found < 0; ++c)
        if (fieldOf_[c] < 0 && engine::text::equalsIgnoreCase(columns_[c].name, layout_[f].name))
          found = static_cast<int>(c);
      if (found < 0)
        throw SqlError(SqlError::Kind::Syntax,
                       "A consulta não devolve o campo " + layout_[f].name + " de " + what_ + ".");
      fieldOf_[static_cast<std::size_t>(found)] = static_cast<int>(f);
    }
  }
  longest_.assign(layout_.size(), 1);
}

void ResultBuilder::makeTable() {
  table_ = engine::emptyTable(layout_);
  tableMade_ = true;
}

ResultBuilder::ResultBuilder(std::vector<SourceColumn> columns, const Layout& layout, std::string_view what,
                             engine::PacketStream& packet)
    : ResultBuilder(std::move(columns), layout, what) {
  packet_ = &packet;
  rowCells_.resize(layout_.size());
  // When the query's columns are the layout's fields in order, each cell goes
  // straight into the packet as it comes (nulls filled in for skipped ones).
  direct_ = columns_.size() == layout_.size();
  for (std::size_t f = 0; f < layout_.size() && direct_; ++f)
    direct_ = !layout_[f].calculated && fieldOf_[f] == static_cast<int>(f);
}

void ResultBuilder::writeCell(std::size_t f, const engine::Value& v) {
  if (v.isNull()) {
    packet_->null();
    return;
  }
  switch (layout_[f].type) {
    case FieldType::Text:
      packet_->text(v.text());
      break;
    case FieldType::Float:
      packet_->number(v.number());
      break;
    case FieldType::DateTime:
      packet_->dateTime(v.number());
      break;
    case FieldType::Integer:
      packet_->integer(v.integer());
      break;
    case FieldType::Boolean:
      packet_->boolean(v.boolean());
      break;
  }
}

void ResultBuilder::nullsUpTo(std::size_t f) {
  for (; nextField_ < f; ++nextField_) packet_->null();
  nextField_ = f + 1;
}

void ResultBuilder::flushPacketRow() {
  if (!rowOpen_) return;
  if (direct_) {
    for (; nextField_ < layout_.size(); ++nextField_) packet_->null();
    packet_->endRow();
    rowOpen_ = false;
    return;
  }
  packet_->beginRow();
  for (std::size_t f = 0; f < layout_.size(); ++f) {
    if (layout_[f].calculated) continue;
    writeCell(f, rowCells_[f]);
    rowCells_[f].reset();
  }
  packet_->endRow();
  rowOpen_ = false;
}

void ResultBuilder::finishPacket() { flushPacketRow(); }

void ResultBuilder::startRow() {
  if (packet_) {
    flushPacketRow();
    rowOpen_ = true;
    if (direct_) {
      packet_->beginRow();
      nextField_ = 0;
    }
    return;
  }
  if (adopt_) {
    rows_.emplace_back(layout_.size());
  } else {
    if (!tableMade_) makeTable();
    row_ = table_.addRow();
  }
}

void ResultBuilder::store(int f, engine::Value v) {
  if (packet_ && direct_) {
    nullsUpTo(static_cast<std::size_t>(f));
    writeCell(static_cast<std::size_t>(f), v);
  } else if (packet_)
    rowCells_[static_cast<std::size_t>(f)] = std::move(v);
  else if (adopt_)
    rows_.back()[static_cast<std::size_t>(f)] = std::move(v);
  else
    table_.mutableColumn(static_cast<std::size_t>(f)).set(row_, v);
}

void ResultBuilder::storeText(int f, std::string_view v) {
  const auto fs = static_cast<std::size_t>(f);
  if (packet_ && direct_) {
    nullsUpTo(fs);
    if (v.empty())  // empty texts are null, as in a table
      packet_->null();
    else
      packet_->text(v);
  } else if (packet_) {
    if (!v.empty()) rowCells_[fs].assignText(v);
  } else if (adopt_) {
    longest_[fs] = std::max(longest_[fs], engine::text::length(v));
    rows_.back()[fs] = engine::Value(v);
  } else if (!v.empty()) {
    table_.mutableColumn(fs).setText(
        row_, engine::text::truncate(v, static_cast<std::size_t>(engine::effectiveSize(layout_[fs]))));
  }
}

void ResultBuilder::bad(int field, const char* what) const {
  throw SqlError(SqlError::Kind::Other, std::string(what) + " no campo " +
                                            layout_[static_cast<std::size_t>(field)].name +
                                            " do resultado da consulta.");
}

void ResultBuilder::settle(int f, FieldType fromValue) {
  if (!typeOpen_[static_cast<std::size_t>(f)]) return;
  layout_[static_cast<std::size_t>(f)].type = fromValue;
  typeOpen_[static_cast<std::size_t>(f)] = false;
}

void ResultBuilder::setInteger(int c, std::int64_t v) {
  const int f = fieldOf_[static_cast<std::size_t>(c)];
  if (f < 0) return;
  settle(f, FieldType::Integer);
  switch (layout_[static_cast<std::size_t>(f)].type) {
    case FieldType::Integer:
      store(f, engine::Value(v));
      break;
    case FieldType::Float:
      store(f, engine::Value(static_cast<double>(v)));
      break;
    case FieldType::Boolean:
      store(f, engine::Value(v != 0));
      break;
    case FieldType::Text:
      setText(c, std::to_string(v));
      break;
    case FieldType::DateTime:
      bad(f, "Data inválida");
  }
}

void ResultBuilder::setFloat(int c, double v) {
  const int f = fieldOf_[static_cast<std::size_t>(c)];
  if (f < 0) return;
  settle(f, FieldType::Float);
  switch (layout_[static_cast<std::size_t>(f)].type) {
    case FieldType::Float:
      store(f, engine::Value(v));
      break;
    case FieldType::Integer:
      if (v != std::trunc(v) || std::fabs(v) > 9.0e18) bad(f, "Valor não inteiro");
      store(f, engine::Value(static_cast<std::int64_t>(v)));
      break;
    default:
      bad(f, "Valor numérico inesperado");
  }
}

void ResultBuilder::setBoolean(int c, bool v) {
  const int f = fieldOf_[static_cast<std::size_t>(c)];
  if (f < 0) return;
  settle(f, FieldType::Boolean);
  switch (layout_[static_cast<std::size_t>(f)].type) {
    case FieldType::Boolean:
      store(f, engine::Value(v));
      break;
    case FieldType::Integer:
      store(f, engine::Value(static_cast<std::int64_t>(v ? 1 : 0)));
      break;
    case FieldType::Text:
      storeText(f, v ? "S" : "N");
      break;
    default:
      bad(f, "Valor lógico inesperado");
  }
}

void ResultBuilder::setText(int c, std::string_view v) {
  const int f = fieldOf_[static_cast<std::size_t>(c)];
  if (f < 0) return;
  settle(f, FieldType::Text);
  const auto fs = static_cast<std::size_t>(f);
  if (!engine::text::isValidUtf8(v)) bad(f, "Texto inválido");
  switch (layout_[fs].type) {
    case FieldType::Text:
      storeText(f, v);
      break;
    case FieldType::DateTime: {
      auto d = readTimestamp(v);
      if (!d) d = engine::date_time::fromBrazilian(v);
      if (!d) bad(f, "Data inválida");
      if (*d != 0) store(f, engine::Value(*d));
      break;
    }
    case FieldType::Integer: {
      std::int64_t i = 0;
      const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), i);
      if (ec != std::errc() || end != v.data() + v.size()) bad(f, "Valor não inteiro");
      store(f, engine::Value(i));
      break;
    }
    case FieldType::Float: {
      double d = 0;
      const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), d);
      if (ec != std::errc() || end != v.data() + v.size() || !std::isfinite(d)) bad(f, "Valor não numérico");
      store(f, engine::Value(d));
      break;
    }
    case FieldType::Boolean:
      if (v == "t" || v == "true" || v == "1")
        store(f, engine::Value(true));
      else if (v == "f" || v == "false" || v == "0")
        store(f, engine::Value(false));
      else
        bad(f, "Valor lógico inválido");
      break;
  }
}

Result ResultBuilder::finish() {
  if (!adopt_) {
    if (!tableMade_) makeTable();
    return Result{layout_, std::move(table_)};
  }
  // Adopted text columns without a declared size take their longest value.
  if (adopt_)
    for (std::size_t f = 0; f < layout_.size(); ++f)
      if (layout_[f].type == FieldType::Text && layout_[f].size == 0)
        layout_[f].size = static_cast<int>(longest_[f]);

  Result out{layout_, engine::emptyTable(layout_)};
  if (rows_.empty()) return out;
  const engine::RowId first = out.table.addRows(rows_.size());
  for (std::size_t f = 0; f < layout_.size(); ++f) {
    engine::Column& col = out.table.mutableColumn(f);
    const auto size = static_cast<std::size_t>(engine::effectiveSize(layout_[f]));
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const engine::Value& v = rows_[r][f];
      if (v.isNull()) continue;
      const auto row = static_cast<engine::RowId>(first + r);
      if (v.isText())
        col.setText(row, engine::text::truncate(v.text(), size));
      else
        col.set(row, v);
    }
  }
  rows_.clear();
  return out;
}

namespace {
engine::Value cellValue(const Result& r, std::size_t row, std::size_t col) {
  return r.table.column(col).cell(static_cast<engine::RowId>(row)).toValue();
}
}  // namespace

std::size_t Result::column(std::string_view name) const {
  for (std::size_t i = 0; i < layout.size(); ++i)
    if (engine::text::equalsIgnoreCase(layout[i].name, name)) return i;
  throw SqlError(SqlError::Kind::Syntax,
                 "O resultado da consulta não tem o campo " + std::string(name) + ".");
}

engine::Value Result::value(std::size_t row, std::string_view name) const {
  return cellValue(*this, row, column(name));
}

std::string_view Result::text(std::size_t row, std::string_view name) const {
  const auto& col = table.column(column(name));
  const auto r = static_cast<engine::RowId>(row);
  return col.isNull(r) ? std::string_view() : col.text(r);
}

std::int64_t Result::integer(std::size_t row, std::string_view name) const {
  const engine::CellView c = table.column(column(name)).cell(static_cast<engine::RowId>(row));
  if (c.kind == engine::CellView::Kind::Integer) return c.integer;
  if (c.kind == engine::CellView::Kind::Number) return static_cast<std::int64_t>(std::llround(c.number));
  return 0;
}

double Result::number(std::size_t row, std::string_view name) const {
  const engine::CellView c = table.column(column(name)).cell(static_cast<engine::RowId>(row));
  if (c.kind == engine::CellView::Kind::Number) return c.number;
  if (c.kind == engine::CellView::Kind::Integer) return static_cast<double>(c.integer);
  return 0;
}

bool Result::isNull(std::size_t row, std::string_view name) const {
  return table.column(column(name)).isNull(static_cast<engine::RowId>(row));
}

}  // namespace ped::sql
