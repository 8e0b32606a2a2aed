#pragma once

// The device commands of linkora-wave: list the wave devices, play files on one, record
// from one into a file. Each returns the program's exit code (0 done, 1 a device or file
// failed, 2 a wrong command line).

#include <QStringList>

namespace WaveDeviceCommands {

int devices();
// args: the command's arguments after its name, options included. With vantage the
// control's inspector window opens and the command runs until it is closed.
int play(QStringList args, bool trace, bool vantage = false);
int record(QStringList args, bool trace, bool vantage = false);

// Asks a running play or record to stop (Ctrl+C); safe from a signal handler.
void interrupt();

} // namespace WaveDeviceCommands
