#pragma once
// Writing one order's mark, and the small reads the order marking rules
// share.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/shell/Cli_ped00800.h"

namespace ped::core {

enum class CascadeFailure {
  KeepsMark,      // the order keeps its mark and the failure goes on
  MarkGoesAnyway  // the mark is written all the same; the failure stops here
};

// Writes `mark` into the current order of cdsPedido (edit, assign, post);
// the mark cascade runs inside the assignment, and `marking` counts the
// change. The only writer of an order's mark. When the cascade fails (GetItem), its
// message has been shown; `onFailure` says what becomes of the mark.
// REQUIRES: cdsPedido has a current row.
void assignOrderMark(TfrmLiquidaItem& screen, std::string_view mark,
                     CascadeFailure onFailure = CascadeFailure::KeepsMark);

// The orders' marks as they stand when it is made. When its scope is left
// by a failure, every order whose mark changed since gets its old mark back,
// and the items its cascade marked in the item list shown lose their marks
// again (the `marking` counts follow): an operation over many orders is all
// or nothing. The item list shown stays the one the failure left (a refused
// order's, to fix). The put-back makes no server call (the item fetches of
// its cascades are left undone) and raises nothing. Order rows must keep
// their places meanwhile (no reload, filter or sort).
class OrderMarksUndo {
 public:
  explicit OrderMarksUndo(TfrmLiquidaItem& screen);
  ~OrderMarksUndo();
  OrderMarksUndo(const OrderMarksUndo&) = delete;
  OrderMarksUndo& operator=(const OrderMarksUndo&) = delete;

 private:
  void putBack() noexcept;
  TfrmLiquidaItem& screen_;
  std::vector<std::string> marks_;
  int exceptions_;
};

// Whether `column` of the order grid shows the mark.
bool isMarkColumn(const hostlib::Grid& grid, std::size_t column);

// The stock check of the current order: its items fetched (GetItem) under
// the busy indicator, which goes down once they came, then Vd_EvolEstq for
// every item that is not liquidated, cancelled or liquidated by hand. A
// refusal aborts, the order's mark untouched.
void checkOrderStock(TfrmLiquidaItem& screen);

}  // namespace ped::core
