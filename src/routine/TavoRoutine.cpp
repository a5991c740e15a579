#include "TavoRoutine.h"

namespace pc::TavoRoutine {

std::array<short, 13> GiorniMese = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
short HotelCorrente = 1;

} // namespace pc::TavoRoutine
