#pragma once
// The image targets of the output command: the sheet drawn on one image that grows line by line,
// with the progress window and its abort button, handed to the save routine of its format; when
// the image cannot be made, the sheet can be spread over numbered part images.

#include "output/GrowingImage.h"
#include "output/ImageFiles.h"
#include "output/PrintSheet.h"

#include <QString>

namespace output {

/// The limits of the working image; tests lower them to reach the failure paths with small lists.
void setImageLimits(const ImageLimits &limits);
/// The limits in force.
ImageLimits imageLimits();

/// The question asked when the sheet is too large for one image but can be spread over
/// numbered part images, in the interface language; OK starts the split run.
QString splitQuestionText(bool german);

/// The note after a split run in which `lines` lines were larger than an image can be and were
/// cut off at the edges of their part images, in the interface language.
QString clippedLinesText(int lines, bool german);

class RunWindows;

/// Runs the image target of `format`, showing its progress in `windows` and proposing file names
/// from the last one they keep.
void imageSheet(ImageFormat format, const SheetNumbers &numbers, const RunStyle &style, const SheetSource &sheet,
                RunWindows &windows);

} // namespace output
