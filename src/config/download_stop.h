#pragma once

#include <QByteArray>
#include <QString>

// Where a parameter download stopped, in words for the technician: the
// command that was not answered or was refused (by its line in the file and
// its text, or as the closing empty line, "SAVE" or "NOTEST"), what the
// transmitter answered, and what the transmitter had taken before it. The
// lines before the stop were applied; the transmitter stored them only if
// "SAVE" went through.
//
// `index` counts the commands of parameterCommands(fileText) from 0; `reply`
// is what came back for that command (empty when nothing did); `refused` is
// true for a refusal, false for no answer in time.
QString downloadStopText(const QByteArray &fileText, qsizetype index, const QByteArray &reply,
                         bool refused);
