#pragma once
// The host's search button (TBtnPesquisa): opens a search over its data
// source for the field it serves, with before- and after-search events.

#include <functional>
#include <string>

#include "hostlib/controls.h"
#include "hostlib/searches.h"

namespace ped::hostlib {

class TBtnPesquisa : public Control {
 public:
  using Control::Control;

  Control* field = nullptr;               // the edit the search fills
  engine::DataSet* dataSource = nullptr;  // the rows to choose from
  std::string title;                      // the search window's title
  std::string emptyListText;              // shown when there is nothing to choose
  // Before the search: prepares the rows (runs the look-up); may abort.
  std::function<void(TBtnPesquisa&)> onBeforeSearch;
  // After a choice: the data source stands on the chosen row.
  std::function<void(TBtnPesquisa&)> onAfterSearch;

  // What a click does: before-search, the search, after-search on a choice.
  // Returns whether a row was chosen. Nothing happens when the button is not
  // usable or has no data source.
  bool click(Dialogs& dialogs, Searches& searches);
};

}  // namespace ped::hostlib
