#pragma once

#include <QString>

// Where the tool keeps its files. On Windows these are the classic places (the
// Windows directory and the root of drive C); elsewhere one folder holds all
// three: $TORVO_TCI_HOME when set, else ~/.config/Torvo_TCI.
namespace settingspaths {

inline constexpr char kSettingsFileName[] = "Torvo_TCI.ini";

QString settingsFolder();
QString settingsFile();   // Torvo_TCI.ini
QString imageFile();      // _Torvo_TCI.ini: the parameter image between runs
QString testModeMarker(); // test_varnek.txt

} // namespace settingspaths
