#pragma once
// Key codes and modifiers as the toolkit reports them to key-down handlers
// (the platform's virtual keys).

namespace ped::hostlib {

inline constexpr int kKeySpace = 32;
inline constexpr int kKeyEnd = 35;
inline constexpr int kKeyHome = 36;
inline constexpr int kKeyD = 68;
inline constexpr int kKeyF9 = 120;

enum ShiftState : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };

}  // namespace ped::hostlib
