#pragma once

// A three-room hotel whose analysis is worked out by hand (see test_analisi.cpp).

#include "AlbergoDiProva.h"

namespace pc::prova {

// Rooms 101 SIN, 102 DOP, 103 DOP; type TRI without rooms; service room 901.
// Macro STD = SIN + DOP (the first TipiCamere_Macro record of DOP), SUP = TRI.
// 28-29/02/2024 room 101 (100.00 a night), 29/02/2024 room 102 (150.00),
// 01/03/2024 nothing; the year before: 28/02/2023 room 103 (90.00),
// 01/03/2023 room 101 (80.00).
AlbergoDiProva albergoAnalisi();

} // namespace pc::prova
