#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdio>

// The exit statuses of odecet-graf.
enum ViewerExit : int {
  kViewerDone = 0,
  kViewerBadFile = 2,
  kViewerPictureNotWritten = 3,
  kViewerWrongUsage = 64,
};

// Loads `files` and writes their Nyquist and Bode plots side by side into `picture`, `size`
// pixels in all, with no window (a QApplication must exist). Each file that cannot be read is
// reported on `err` and nothing is written. Returns the exit status.
int ExportSideBySide(const QStringList& files, const QString& picture, QSize size, std::FILE* err);

// A diagnostic on `err`, every line prefixed with the program's name.
void ComplainAsViewer(std::FILE* err, const QString& text);
