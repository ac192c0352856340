#pragma once

// The main window's three purchases, each paid once.
void buyCitizenship();
void buyPassport();
void buyRoom();
