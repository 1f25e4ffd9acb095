#pragma once

// The IBM PC character set. The server draws its screens for a terminal font
// whose 256 glyphs are code page 437, control bytes included (01 is a smiling
// face, 1B a left arrow); the engine maps each byte to the Unicode character
// of that glyph and draws it with a fixed-pitch font that has them all.

#include <QtGlobal>

char16_t Cp437ToUnicode(quint8 byte);
