#pragma once

// The main window's "Поспать" and "В туалет".
void sleepOnce();
void useToilet();
