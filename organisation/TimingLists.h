#pragma once
// The heats of a competition list as the timing program takes them, under the discipline's timing
// number.

#include "core/print/PrintTable.h"
#include "core/services/ResultCaptureServices.h"

#include <vector>

namespace tvp {

class THeatTreeModel;

struct TTimingLists {
    int heatCount = 0; // the highest heat number of the discipline
    std::vector<TTimingExportHeat> heats;
};

// One lane: the last bib as the bib, every other bib appended to the surname (", 12"), so a team
// exports with its members' bibs and its name as the team.
TTimingExportParticipant getTimingParticipant(const TTreeNodeInformation& nodeData);

// Every heat with participants, in tree order, described as "<discipline> <heat>/<heat count>";
// each participant on the lane of its place, so an empty place leaves its lane free.
TTimingLists buildTimingLists(const THeatTreeModel& tree, const QString& disciplineName);

// Appends each heat to the start-list file; throws TvpError with the exporter's message when a heat
// cannot be written (a number beyond its field, the folder), heats before it staying written.
// Returns the names the start-list file holds otherwise than stored, each once.
TRespelledNames exportTimingLists(ITimingExport& timing, int timingId, const TTimingLists& lists);

} // namespace tvp
