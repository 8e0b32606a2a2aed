#pragma once

// The device commands of linkora-wave: list the wave devices, play files on one, record
// from one into a file. Each returns the program's exit code (0 done, 1 a device or file
// failed, 2 a wrong command line).

#include <QStringList>

namespace WaveDeviceCommands {

int devices();
// args: the command's arguments after its name, options included.
int play(QStringList args, bool trace);
int record(QStringList args, bool trace);

// Asks a running play or record to stop (Ctrl+C); safe from a signal handler.
void interrupt();

} // namespace WaveDeviceCommands
