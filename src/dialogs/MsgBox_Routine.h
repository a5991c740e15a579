#pragma once

// Public values of the message dialog MsgBox_Form: the caller sets the style
// before showing it; the dialog leaves the answer when a button is pressed.
namespace pc::MsgBox_Routine {

// Button layout: 0 and 48 one button; 4 and 36 two; 35 and 51 three;
// 200 to 400 two (own range); any other value leaves the buttons as designed.
extern short Stile;
// Answer: 0 "Ok", 6 "Si", 7 second button, 2 third button.
extern short Risposta;

} // namespace pc::MsgBox_Routine
