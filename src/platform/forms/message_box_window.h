#pragma once

namespace vantrel {

// Makes MsgBox show a real window: the text, a single OK button, the application title as
// caption, modal over the window the user is working with.
void UseWindowedMessageBoxes();

}  // namespace vantrel
