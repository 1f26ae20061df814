#pragma once

// Windows of this area are declared in their own headers beside this one.
namespace pelorin::treatment::ui {
inline constexpr int kWindowsVersion = 1;
}
