#pragma once

// The dialer's icons are renderings of its SVGs at the sizes it shows: an SVG icon would
// load the SVG module and its plugin while the first window comes up.

#include <QIcon>

#include <initializer_list>

// The icon ":/dialer/NAME-SIZE.png" at each size.
QIcon dialerPngIcon(const char* name, std::initializer_list<int> sizes);
