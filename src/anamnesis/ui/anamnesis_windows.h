#pragma once

// Windows of this area are declared in their own headers beside this one.
namespace pelorin::anamnesis::ui {
inline constexpr int kWindowsVersion = 1;
}
