#include "hostlib/options_store.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace ped::hostlib {
namespace {

// Letters, digits, '-' and '_' stay; every other byte becomes %XX, so "..",
// "/" or an empty code cannot name another folder.
std::string pathPart(std::string_view code) {
  static const char* const hex = "0123456789ABCDEF";
  std::string out;
  for (char c : code) {
    const auto b = static_cast<unsigned char>(c);
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_') {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(hex[b >> 4]);
      out.push_back(hex[b & 15]);
    }
  }
  return out.empty() ? "%" : out;
}

// One entry a line: '\' escapes itself, newlines and carriage returns; the
// first unescaped '=' ends the name.
std::string escape(std::string_view s, bool isName) {
  std::string out;
  for (char c : s) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else if (c == '=' && isName)
      out += "\\e";
    else
      out.push_back(c);
  }
  return out;
}

std::string unescape(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out.push_back(s[i]);
      continue;
    }
    const char n = s[++i];
    out.push_back(n == 'n' ? '\n' : n == 'r' ? '\r' : n == 'e' ? '=' : n);
  }
  return out;
}

}  // namespace

void OptionsList::set(std::string_view name, std::string_view value) {
  for (auto& [n, v] : entries_)
    if (n == name) {
      v = std::string(value);
      return;
    }
  entries_.emplace_back(std::string(name), std::string(value));
}

void OptionsList::remove(std::string_view name) {
  std::erase_if(entries_, [name](const auto& entry) { return entry.first == name; });
}

std::optional<std::string> OptionsList::get(std::string_view name) const {
  for (const auto& [n, v] : entries_)
    if (n == name) return v;
  return std::nullopt;
}

OptionsStore::OptionsStore(std::filesystem::path root) : root_(std::move(root)) {}

OptionsStore OptionsStore::forCurrentUser() {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    base = xdg;
  else if (const char* home = std::getenv("HOME"); home && *home)
    base = std::filesystem::path(home) / ".config";
  else
    base = std::filesystem::temp_directory_path();
  return OptionsStore(base / "ped00800" / "opcoes");
}

std::filesystem::path OptionsStore::fileFor(std::string_view operatorCode,
                                            std::string_view screenCode) const {
  return root_ / pathPart(operatorCode) / (pathPart(screenCode) + ".txt");
}

void OptionsStore::save(std::string_view operatorCode, std::string_view screenCode,
                        const OptionsList& options) const {
  const std::filesystem::path file = fileFor(operatorCode, screenCode);
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  const std::filesystem::path temp = file.string() + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    for (const auto& [name, value] : options.entries())
      out << escape(name, true) << '=' << escape(value, false) << '\n';
    out.flush();
    if (!out) throw std::runtime_error("Não foi possível gravar as opções em " + temp.string() + ".");
  }
  std::filesystem::rename(temp, file, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    throw std::runtime_error("Não foi possível gravar as opções em " + file.string() + ".");
  }
}

OptionsList OptionsStore::load(std::string_view operatorCode, std::string_view screenCode) const {
  OptionsList options;
  std::ifstream in(fileFor(operatorCode, screenCode), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;  // not an entry: skipped, the rest still loads
    options.set(unescape(std::string_view(line).substr(0, eq)),
                unescape(std::string_view(line).substr(eq + 1)));
  }
  return options;
}

}  // namespace ped::hostlib
