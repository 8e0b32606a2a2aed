#pragma once

// The dialer's icons are renderings of its SVGs at the sizes it shows, kept as plain
// bitmaps: an SVG icon would load the SVG module and its plugin while the first window
// comes up, and a PNG the decoder and zlib.

#include <QIcon>

#include <initializer_list>

// The icon ":/dialer/NAME-SIZE.bmp" at each size, read when first drawn.
QIcon dialerIcon(const char* name, std::initializer_list<int> sizes);
