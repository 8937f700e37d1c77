#pragma once
// Start and stop of the image file library.

#include <QString>

#include <array>
#include <span>

// Starts the library: checks the message table, selects English, puts the settings back to
// their defaults and builds the format registry (every reader and writer, sorted and frozen).
// Runs once; further calls only count, and each needs its DonePGraphic. Call it on the
// user-interface thread before any image is loaded or saved.
void InitPGraphic();
// Stops the library when the last start is undone: the registry goes. No image may be loading
// or saving then.
void DonePGraphic();
bool PGraphicStarted();

// The font the open dialog draws its information line with.
struct PGInfoFont {
    int Height = 8;
    int Width = 0;
    int Escapement = 0;
    int Orientation = 0;
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int CharSet = 1; // the default character set
    int OutPrecision = 0;
    int ClipPrecision = 0;
    int Quality = 0;
    int PitchAndFamily = 0;
    QString FaceName = QStringLiteral("MS Sans Serif");
};
extern PGInfoFont PixelGraphicInfoFont;

// ClampTable()[v + 510] is v clamped to 0..255, for v = -510..510.
inline constexpr int ClampTableSize = 1021;
std::span<const int, ClampTableSize> ClampTable();
