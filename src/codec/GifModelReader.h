#pragma once
// Reading GIF files into the model (GIFImage::LoadFromFile / LoadFromStream are defined in
// GifModelReader.cpp) and a frame's raster image.
#include "codec/Bitmap.h"
#include "codec/GIFImage.h"

namespace framora {

// The frame's raster image: its own size, 8 bits per pixel, the palette of its active colour
// map with exactly Count entries, the indices as they are (no composition, no transparency).
// "Keine globale oder lokale Farbtabelle definiert" when neither the frame nor the image has a
// colour table; an empty frame gives an empty bitmap.
Bitmap FrameToBitmap(const GIFFrame& frame);

} // namespace framora
