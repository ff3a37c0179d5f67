#pragma once

#include <QString>

// One line into a simulator's control pipe. The simulator keeps the pipe
// open, so this never waits; a line that cannot go is warned of.
void sendControl(const QString &pipe, const QString &line);
