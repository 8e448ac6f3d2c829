#pragma once

#include <QImage>
#include <QList>
#include <QString>

#include "io/io_status.h"
#include "report/report.h"

class QPrinter;

// The report drawn on A4 portrait pages with a painter alone (no widgets): text as text, lines and
// areas as vectors, so the PDF is searchable and sharp at any zoom.

// The PDF, written whole or not at all (a file beside it renamed over the target), and the CSV
// beside it (the same name with ".csv"), written first.
IoStatus SaveReport(const Report& report, const QString& pdfPath);
// Each page as a picture `width` pixels wide (the window's preview).
QList<QImage> ReportPageImages(const Report& report, int width);
// On a printer, a page per sheet.
bool PrintReport(const Report& report, QPrinter& printer);
