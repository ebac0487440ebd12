#ifndef VORLIN_MENU_MENU_FRONT_H
#define VORLIN_MENU_MENU_FRONT_H

// vorlin --menu: opens the scaled window (never the mode dialog) and runs the front end
// until Quit: every kind of game set up from its screens, the settings edited and stored
// in "vorlin.ini". The program's status.
int run_front_end();

#endif
