#pragma once

#include <QPixmap>

namespace dravik {

// The fixed pictures of the main window, drawn by the program itself.
QPixmap cabinetPicture(int width, int height);      // a loudspeaker cabinet (File page)
QPixmap ventDiameterPicture(int width, int height); // a reflex pipe, its diameter marked
QPixmap ventLengthPicture(int width, int height);   // a reflex pipe, its length marked

} // namespace dravik
