#pragma once
// The question the squads window asks when a team of another age class goes into a squad.

#include "core/ui/TVPForm.h"
#include "participants/ui/ParticipantWindowInterfaces.h"

class QPushButton;

namespace tvp {

class TAgeMismatchPromptForm : public TTVPForm, public IAgeMismatchPrompt {
    Q_OBJECT
public:
    explicit TAgeMismatchPromptForm(TWindowContext& context);

    // several: more than one team is being moved; only then can the answer stand for all or stop
    // the whole move. Closing the window answers amr_cancel.
    TAgeMismatchResolution ShowAgeMismatchDialog(bool several) override;

    TAgeMismatchResolution resolution = TAgeMismatchResolution::amr_cancel;

protected:
    void reloadData() override {}

private:
    void answer(TAgeMismatchResolution r);

    QPushButton* Button1; // "Übernehmen"
    QPushButton* Button2; // "Nicht übernehmen"
    QPushButton* Button3; // "Alle Übernehmen"
    QPushButton* Button4; // "Abbrechen"
};

} // namespace tvp
