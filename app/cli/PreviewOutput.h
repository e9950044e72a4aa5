// --preview: what a conversion would give, before converting anything: each
// file's still (a tenth into the part converted) as the phone will show it,
// written as a PPM picture where its output would go, and each file's
// expected output size with the total.
#pragma once

#include <QString>
#include <QTextStream>

#include "ConversionParameters.h"
#include "SourceClip.h"

// Writes "NAME.ppm" into outputFolder for each clip with pictures and prints
// one line a clip ("clip.avi: 1.25 Mb, still clip.ppm") and the total to out;
// a clip whose still cannot be made is named in err. Returns 0, or 1 when a
// still could not be made or written.
int WritePreview(const ClipList& clips, const ConversionParameters& parameters,
                 const QString& outputFolder, QTextStream& out, QTextStream& err);
