#include "game/TuioScreenByeBye.h"

TuioScreenByeBye::TuioScreenByeBye()
    : TextScreen({
          {"That's all we've got in the demo app.", 3.5f},
          {"Press Esc to exit.", -1.0f},
      })
{
}
