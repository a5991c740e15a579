#pragma once

#include <array>

// Public values shared by the windows of the application.
namespace pc::TavoRoutine {

// Days of each month, index 1 to 12 (index 0 unused). Filled when the main
// window loads; the date check rewrites February before every lookup.
extern std::array<short, 13> GiorniMese;
// Number of the current hotel; 1 from start.
extern short HotelCorrente;

} // namespace pc::TavoRoutine
