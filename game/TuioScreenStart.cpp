#include "game/TuioScreenStart.h"

TuioScreenStart::TuioScreenStart()
    : TextScreen({
          {"Welcome. This is a first alpha of the game 'Flockmar'.", 5.5f},
          {"The goal of this game is to bring at least 8 sheep into the save green", 2.0f},
          {"You are the flockmar's dog. Tap with your finger on the screen to bark.\nSheep will "
           "run away from your barks. Be carfull, don't let them run into the fire.",
           0.5f},
          {"This game was designed for multitouch screens with TUIO-Interface\nIf you don't have "
           "a multitouch screen, just click with your mouse to bark.",
           -4.0f},
          {"Press 'space' to continue to next level.\n Press 'esc' to quit.", -7.0f},
      })
{
}
