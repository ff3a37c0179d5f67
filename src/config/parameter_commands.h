#pragma once

#include <QByteArray>
#include <QList>

// The commands that a parameter file makes, in the order they go out: the
// file's lines, then "SAVE" and "NOTEST".
//
// The file's text gets CR LF "SAVE" CR LF "NOTEST" CR LF appended and is cut at
// every line feed. Each piece is a command exactly as it stands, without its
// line feed: the carriage return before the line feed is what ends the
// command for the transmitter, so a CR LF file gives proper commands, a blank
// line a lone CR, and a file without a final line end has its last line ended
// by the appended CR. A file with bare line feeds gives commands without any
// terminator; nothing is added or trimmed on the tool's side.
QList<QByteArray> parameterCommands(const QByteArray &fileText);
