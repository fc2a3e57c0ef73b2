// The keys that step and zoom the picture of a run, on the display state
// alone: the window's key table and the web page both use them.
#pragma once

#include "engine/model/simrun.h"
#include "view/displaystate.h"

namespace hs {

// What the key table asks the caller to do after it has updated the state.
enum class KeyAction {
  Stored,  // nothing to draw: only menukey stored, or the playback paused
  Redraw,  // s, 0, w, W, arrows, Home, End: draw the frame again
  Menu,    // a parameter-group key: run the console menu
  Quit,    // escape: end the program with status 0
  Play,    // space: draw the frame, then start the playback timer
  Help,    // '?': print the key list on the console
  Save,    // 'o': save the case through the console
  Picture, // 'p': the caller saves the shown frame as a PNG file
  Movie,   // 'v': the caller saves the run as an animated GIF file
  Metrics, // 'm': print the figures of merit of the run
  Compare, // 'M': run the four methods on the case and print their table
};

// The keys the toolkit reports apart from characters that the window uses.
enum class SpecialKey { Left, Right, Home, End, Other };

// The keys that only step and zoom the picture of run history h: 's' one
// step on, '0' the first step (both pausing), 'w' / 'W' zoom out / in;
// Stored for any other key. Draws nothing.
KeyAction stepkey(const RunHistory& h, DisplayState& d, unsigned char key);
// The arrows, Home and End: pause, then one step back / forward, the first /
// the last step. Not a menu key: menukey stays. Draws nothing.
KeyAction specialkeytable(const RunHistory& h, DisplayState& d, SpecialKey key);
// Pauses the playback.
void pauseplayback(DisplayState& d);

}  // namespace hs
