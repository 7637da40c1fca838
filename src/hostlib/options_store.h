#pragma once
// The options list of the base filter dialog ("name=value" entries) and
// where it is kept: one file per operator and screen code under the user's
// configuration folder ($XDG_CONFIG_HOME, else ~/.config):
//   <config>/ped00800/opcoes/<operator>/<screen code>.txt
// Operator and screen codes are escaped for the file system, so no code can
// reach outside that folder.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ped::hostlib {

class OptionsList {
 public:
  void set(std::string_view name, std::string_view value);
  void remove(std::string_view name);
  std::optional<std::string> get(std::string_view name) const;
  const std::vector<std::pair<std::string, std::string>>& entries() const { return entries_; }
  void clear() { entries_.clear(); }

 private:
  std::vector<std::pair<std::string, std::string>> entries_;
};

class OptionsStore {
 public:
  explicit OptionsStore(std::filesystem::path root);
  static OptionsStore forCurrentUser();  // the folder above

  std::filesystem::path fileFor(std::string_view operatorCode, std::string_view screenCode) const;
  // Writes the whole list (a temporary file renamed over the old one, so a
  // failure never leaves half a file). Throws std::runtime_error with a
  // Portuguese message when the file cannot be written.
  void save(std::string_view operatorCode, std::string_view screenCode, const OptionsList& options) const;
  // An operator or screen without a saved list gets an empty one.
  OptionsList load(std::string_view operatorCode, std::string_view screenCode) const;

 private:
  std::filesystem::path root_;
};

}  // namespace ped::hostlib
