#pragma once
// The program's own pictures, drawn in code: the title banner and the application icon.

#include <QIcon>
#include <QImage>

namespace korvane {

constexpr int BannerWidth = 600;
constexpr int BannerHeight = 362;

// White, "Korvane" in black serif letters inside a black frame, a rule above and below.
QImage MakeBanner();

// The icon at `size` x `size` pixels (32 and 16 are the sizes the program uses): a small
// density picture, a dark square with a red core fading through green and blue.
QImage MakeIconImage(int size);

// Both sizes in one icon.
QIcon MakeAppIcon();

}  // namespace korvane
