#pragma once
// Search (one row) and pick list (many rows) over a data set's rows. The
// dialogs themselves sit behind `Searches`; the rules every screen relies on
// are here.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/data_set.h"
#include "hostlib/dialogs.h"

namespace ped::hostlib {

class Searches {
 public:
  virtual ~Searches() = default;
  // Single choice over the visible fields of `rows` (labels and display
  // widths as the fields give them). The position of the chosen row in the
  // view, or nullopt when the operator left.
  virtual std::optional<std::size_t> chooseRow(const engine::DataSet& rows, std::string_view title) = 0;
  // Multiple choice with a check box per row, the rows whose `keyField`
  // value is in `checked` checked to begin with. The keys checked when the
  // operator confirmed, in view order, or nullopt when he left.
  virtual std::optional<std::vector<std::string>> chooseKeys(const engine::DataSet& rows,
                                                             std::string_view keyField,
                                                             std::string_view title,
                                                             const std::vector<std::string>& checked) = 0;
};

namespace Pesquisa {
// `titleAndEmpty` is "Title|message when there is nothing to choose". With no
// rows the message is shown and the answer is false; on a choice the data set
// stands on the chosen row and the answer is true. The two flags are the
// host's and change nothing here.
bool Pesquisar(Dialogs& dialogs, Searches& searches, engine::DataSet& rows, std::string_view titleAndEmpty,
               bool flag1 = false, bool flag2 = false);
}  // namespace Pesquisa

namespace Pesqlista {
// The keys in `listText` come in checked; the chosen keys go out joined with
// '_'. Leaving without choosing keeps the text that went in.
void PesquisaLista(Searches& searches, const engine::DataSet& rows, std::string_view keyField,
                   std::string_view title, bool flag, std::string& listText);
}  // namespace Pesqlista

}  // namespace ped::hostlib
