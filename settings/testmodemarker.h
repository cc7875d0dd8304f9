#pragma once

#include <QString>

// Test mode is on when the marker file (test_varnek.txt) holds the word
// "TEST_ENABLE" anywhere: words are separated by white space and compared
// exactly, so "test_enable" or "TEST_ENABLE1" do not count. Words longer than
// 255 characters are never the keyword and are not kept whole. A missing or
// unreadable file means off, and so does a path that names no regular file
// (a folder, a FIFO, a device), with *reason saying why unless nothing is
// there at all. Only the first 4 MiB are read.
bool readTestModeMarker(const QString &path, QString *reason = nullptr);
