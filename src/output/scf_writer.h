// Writer of SCF version 3.00 files: Save and Save As of the shown chromatogram.
#pragma once

#include <array>
#include <string>

#include "document/chromatogram.h"
#include "output/output_error.h"
#include "platform/block.h"
#include "platform/local_date.h"
#include "platform/program.h"

namespace vistrel {

/// "CONV=Vistrel 1.45\n": marks a file converted from ABI.
std::string conversionLine();

/// "EDIT=Jul 9 1998\n": the date of the last save.
std::string saveDateLine(const CalendarDate& date);

/// Prepares the document's comments for a save: removes the first line that begins with "EDIT",
/// strips trailing zero bytes, and ends a non-empty text with a line feed so that the lines a
/// save appends stay lines of their own. False when the block cannot grow for that line feed.
bool tidyComments(Chromatogram& document);

/// For each SCF slot A, C, G, T, the document channel written there: the channel carrying that
/// letter, else one carrying it in the other case, else the next channel left over, so every
/// trace is kept.
std::array<int, 4> channelsForScfSlots(const Chromatogram& document);

/// The complete SCF 3.00 file of the shown base-call set, all four channels and the comment
/// section (the tidied comments, the conversion line unless the document is SCF, the save-date
/// line and a zero byte). False when the image cannot be allocated.
bool buildScfImage(const Chromatogram& document, const CalendarDate& date, Block& image);

/// Save (`saveAs` false) writes to `target`, the document's own path; Save As writes to the
/// chosen `target` and makes it the document's file. On failure the target on disk is
/// untouched and the document is as before, except that its comments may have been tidied. With
/// a `batch`, the save is one of its writes.
OutputError saveScf(Chromatogram& document, const std::string& target, bool saveAs,
                    const CalendarDate& date, BatchWrites* batch = nullptr);

}  // namespace vistrel
