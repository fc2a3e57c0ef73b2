#include "console/refusaltext.h"

#include "console/console.h"

namespace hs {

std::string refusaltext(const Refusal& r) {
  switch (r.cause) {
    case Refusal::Cause::nosuchname:
      return fmt("%s という設定はありません", r.name.c_str());
    case Refusal::Cause::outoflimit:
      return fmt("%s = %s は受け付けられません．%s [%s] が必要です", r.name.c_str(),
                 r.value.c_str(), tr(limittext(r.limit)), r.unit);
    case Refusal::Cause::lineends:
      // A line's end on its start gives the motion no direction.
      return fmt("line.xf, line.yf = %s, %s は受け付けられません．直線の終点は始点 "
                 "(line.x0, line.y0 = %s, %s) と異なる点が必要です [m]",
                 shortest(r.xf).c_str(), shortest(r.yf).c_str(), shortest(r.x0).c_str(),
                 shortest(r.y0).c_str());
  }
  return "";
}

}  // namespace hs
