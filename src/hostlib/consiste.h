#pragma once
// Consistency helpers every screen uses: blank tests, code widths, and the
// silent Abort that ends an operation after its message was shown.

#include <exception>
#include <string>
#include <string_view>

#include "domain/code_width.h"
#include "hostlib/controls.h"
#include "hostlib/dialogs.h"

namespace ped::hostlib {

// Thrown after an error message has been shown, to end the running operation
// at once. The event dispatcher catches it at the top and shows nothing more;
// clean-up runs through RAII guards on the way out.
class Abort : public std::exception {
 public:
  const char* what() const noexcept override { return "operação interrompida"; }
};

namespace consiste {

// Shows `text` in an error box; with `abort` set then throws Abort, ending
// the running operation; with it clear, returns.
void MensErro(Dialogs& dialogs, std::string_view text, bool abort);

// True when the text holds no value: no letter or digit in it (empty, only
// blanks, mask blanks and mask literals such as "__/__/____").
bool EmptyString(std::string_view text);

// The screen's name for domain::adjustCode: the code brought to `width`.
inline std::string Ajusta(std::string_view code, std::size_t width) {
  return domain::adjustCode(code, width);
}

// The edit mask of a person's tax document: "F" (individual, CPF)
// "999.999.999-99;0;_", "J" (company, CNPJ) "99.999.999/9999-99;0;_",
// anything else no mask.
std::string PictPess(std::string_view personType);

// Index of the grid column that shows `fieldName` (case-insensitive), -1 when
// none does.
int IndiceCol(const Grid& grid, std::string_view fieldName);

// Enables or disables the controls a container holds (its direct children).
void SetChildEnabled(Control& container, bool enabled);

}  // namespace consiste
}  // namespace ped::hostlib
