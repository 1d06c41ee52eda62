#pragma once
// The program's picture, shown by the splash window and the About box.
#include <QPixmap>

namespace shell {

inline constexpr int kPictureWidth = 400;
inline constexpr int kPictureHeight = 274;

// Drawn once and shared: shelves of record boxes under the program's name.
QPixmap programPicture();

} // namespace shell
