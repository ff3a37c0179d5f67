#pragma once

#include <QByteArray>
#include <QString>

// The parameter file as the confirmation box shows it, before anything is
// sent. The bytes that go out are the file's own and are not affected.
//
// A file that is valid UTF-8 is shown as UTF-8, any other as Latin-1 (one
// character per byte, as files of older tools were written). Control
// characters other than tab, carriage return and line feed are shown as the
// replacement character, so a NUL byte cannot cut the text short. A long file
// shows only its first lines and says how many more there are, and a long
// line only its beginning, so the box always fits on the screen.
QString parameterFilePreview(const QByteArray &fileText);

// Limits of the preview: lines shown, and characters shown of each line.
constexpr int previewLines = 30;
constexpr int previewLineLength = 120;
