#include "MsgBox_Routine.h"

namespace pc::MsgBox_Routine {

short Stile = 0;
short Risposta = 0;

} // namespace pc::MsgBox_Routine
