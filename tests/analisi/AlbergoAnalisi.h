#pragma once

// A three-room hotel whose analysis is worked out by hand (see test_analisi.cpp).

#include "AlbergoDiProva.h"

namespace pc::prova {

// Rooms 101 SIN, 102 DOP, 103 DOP; type TRI without rooms; service room 901.
// Macro STD = SIN + DOP (the first TipiCamere_Macro record of DOP), SUP = TRI.
// 28-29/02/2024 room 101 (100.00 a night), 29/02/2024 room 102 (150.00),
// 01/03/2024 nothing; the year before: 28/02/2023 room 103 (90.00),
// 01/03/2023 room 101 (80.00).
// Monday 04/03/2024: room 101 (100.00); 04-10/03/2024 the two DOP rooms
// booked, not yet arrived (120.00 a night each). The year before: Saturday
// 04/03/2023 room 103 (70.00), Monday 06 and Tuesday 07/03/2023 room 103
// (95.00 a night). The budget of February and March 2024 is budgetAnalisi().

AlbergoDiProva albergoAnalisi();
// February: DOP 10 rooms 1,000.00, SIN 5 rooms 500.00 (hotel: their sum);
// March: DOP 20 rooms 2,500.00, hotel 30 rooms 3,000.50.
const char *budgetAnalisi();

} // namespace pc::prova
