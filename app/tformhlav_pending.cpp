// Handlers and start-up steps whose behaviour arrives with their own
// subsystem (files, printing, the link to the unit, languages, settings).
// They are bound now so that every control and shortcut is wired from the
// start; each does nothing until its subsystem fills it in.
#include "app/tformhlav.h"

void TFormHlav::MenuOpenClick() {}
void TFormHlav::MenuSaveClick() {}
void TFormHlav::SpeedButtonPrintClick() {}
void TFormHlav::MenuCom1Click() {}
void TFormHlav::MenuReadClick() {}
void TFormHlav::MenuVerifyClick() {}
void TFormHlav::MenuProgramClick() {}
void TFormHlav::BitBtnAdvMinusClick() {}
void TFormHlav::BitBtnAdvPlusClick() {}
void TFormHlav::MenuEnglishClick() {}
void TFormHlav::MenuCzechClick() {}
void TFormHlav::MenuGermanClick() {}
void TFormHlav::MenuContensClick() {}
void TFormHlav::Timer1Timer() {}

void TFormHlav::loadSettings() {}
void TFormHlav::saveSettings() {}
void TFormHlav::openPort() {}
void TFormHlav::closePort() {}
void TFormHlav::applyLanguage() {}
void TFormHlav::readTestModeMarker() {}
