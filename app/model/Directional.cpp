#include "Directional.h"

namespace zentrivo {

const char* name(Directional d) {
    switch (d) {
    case Directional::tl: return "tl";
    case Directional::t: return "t";
    case Directional::tr: return "tr";
    case Directional::l: return "l";
    case Directional::r: return "r";
    case Directional::bl: return "bl";
    case Directional::b: return "b";
    case Directional::br: return "br";
    case Directional::c: return "c";
    }
    return "";
}

} // namespace zentrivo
