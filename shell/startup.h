#pragma once

// Everything between the application object and its event loop: Russian standard
// dialogs, the thirteen screens, the title shown. Returns false, after telling the player
// why, when the game cannot start.
bool startGame();
