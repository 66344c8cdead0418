#pragma once
// How the program's input fields behave where Qt's defaults mislead a user with real data.

namespace tvp {

// Once for the program, from its first window on:
// - Where a window's content scrolls, the wheel scrolls it: a choice or number box sliding under
//   the pointer takes the wheel only while it has the keyboard focus, and the wheel never gives it
//   the focus. Otherwise the rest of a turn meant for the window changed the choice.
// - A one-line field shows the start of a text the program puts into it: a long name showed its
//   end, cut at the start without a sign.
void installFieldAids();

} // namespace tvp
