#pragma once
// An editor's record saved over what another window or desk changed since it was loaded.

namespace tvp {

// Each listed field of edited that the user left as it was loaded takes the server's value, so a
// save writes what he changed and never turns another's change back to the value loaded before.
template <class Fields, class... T>
void takeServerChanges(Fields& edited, const Fields& loaded, const Fields& server, T Fields::*... fields)
{
    const auto take = [&](auto field) {
        if (edited.*field == loaded.*field)
            edited.*field = server.*field;
    };
    (take(fields), ...);
}

} // namespace tvp
