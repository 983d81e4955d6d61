#pragma once

#include <QString>
#include <QStringList>

// Runs a program with its arguments and waits; its exit status, or -1 when it did not run.
int Run(const QStringList& command);

// The shipped JPEG plug-in of the build the benchmark belongs to.
QString JpegPlugin();

// A 6000 x 4000 photo-like JPEG (gradients, squares and fine grain), quality 90, made once per
// machine with cjpeg; empty when it cannot be made.
QString BenchJpeg();
