#pragma once
// The host library's texts and colours as Qt takes them.

#include <QColor>
#include <QString>
#include <cstdint>
#include <string_view>

namespace ped::hostlib_qt {

// UTF-8 text, as every text of the host library and the screens is.
inline QString q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A colour given as 0xRRGGBB, opaque.
inline QColor rgbColour(std::uint32_t rgb) {
  return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                static_cast<int>(rgb & 0xFF));
}

}  // namespace ped::hostlib_qt
