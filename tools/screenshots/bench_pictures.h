#pragma once

#include <QDir>
#include <QStringList>

// The bench's picture: transmitters on the simulators' links, each
// "LINK:CONTROLPIPE", zero gas in the chamber (room air at the last one),
// a zero calibration of all of them, and the window once it has ended.
int takeBenchPictures(const QStringList &transmitters, const QDir &out);
