#pragma once

// Entry point of the window layer: a program with windows calls setUp() once after
// creating its QApplication, so the components get real dialogs, printing and their
// inspector windows.

namespace TnvInspector {

void setUp();

} // namespace TnvInspector
