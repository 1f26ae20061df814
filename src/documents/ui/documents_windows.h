#pragma once

// Windows of this area are declared in their own headers beside this one.
namespace pelorin::documents::ui {
inline constexpr int kWindowsVersion = 1;
}
