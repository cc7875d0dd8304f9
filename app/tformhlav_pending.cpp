// Handlers and start-up steps whose behaviour arrives with their own
// subsystem (help). They are bound now so
// that every control and shortcut is wired from the start; each does nothing
// until its subsystem fills it in.
#include "app/tformhlav.h"

void TFormHlav::MenuContensClick() {}

