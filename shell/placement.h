#pragma once
// Window placement helpers shared by the shell's windows.
#include <QRect>
#include <QString>

class QWidget;

namespace shell {

inline constexpr double kTwipsPerPixel = 15.0;

int twipsToPixels(double twips);

// The stored text as a number of twips, or the default when it is no number.
double twipsSetting(const QString& stored, double defaultTwips);

// Left, top, width and height in twips turned into a rectangle in pixels.
QRect twipsRect(double left, double top, double width, double height);

// Moves a top-level window so that it stands in the middle of its screen.
void centreOnScreen(QWidget* window);

} // namespace shell
