#pragma once

#include <QByteArray>
#include <QImage>

// The QR code of text (the pairing URL) as an image of one pixel per module, dark on white, with
// the four-module quiet zone that readers need around it: scale it up without smoothing
// (Qt::FastTransformation). A null image when the text does not fit in a QR code.
QImage QrCodeImage(const QByteArray& text);
