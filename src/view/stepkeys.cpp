// The keys that step and zoom the picture of a run.
#include "view/stepkeys.h"

namespace hs {

void pauseplayback(DisplayState& d) { d.play.playing = false; }

KeyAction stepkey(const RunHistory& h, DisplayState& d, unsigned char key) {
  switch (key) {
    case 's':
      pauseplayback(d);
      d.frame = h.clamp(d.frame + 1);
      return KeyAction::Redraw;
    case '0':
      pauseplayback(d);
      d.frame = 0;
      return KeyAction::Redraw;
    case 'w':
      d.zoom *= 0.9;
      return KeyAction::Redraw;
    case 'W':
      d.zoom /= 0.9;
      return KeyAction::Redraw;
    default:
      return KeyAction::Stored;
  }
}

KeyAction specialkeytable(const RunHistory& h, DisplayState& d, SpecialKey key) {
  switch (key) {
    case SpecialKey::Right: d.frame = h.clamp(d.frame + 1); break;
    case SpecialKey::Left: d.frame = h.clamp(d.frame - 1); break;
    case SpecialKey::Home: d.frame = 0; break;
    case SpecialKey::End: d.frame = h.laststep(); break;
    case SpecialKey::Other: return KeyAction::Stored;
  }
  pauseplayback(d);
  return KeyAction::Redraw;
}

}  // namespace hs
