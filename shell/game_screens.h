#pragma once

#include "shell/screens.h"

// Creates the screens in their fixed order, each running its creation handler. A
// StartupError from one of them leaves no screen behind and is passed on.
void createGameScreens();
// Destroys them in reverse order; the game itself never does, tests start afresh with it.
void destroyGameScreens();
