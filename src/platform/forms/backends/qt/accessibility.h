#pragma once

// What Qt tells assistive technology (through AT-SPI on Linux) about the forms beyond what its
// widgets tell of themselves: a fixed dialog is a dialog and the title window a window, and a
// folder list is the text of the folder it shows, and a drive list goes by its control's name.

namespace vantrel {

// Makes Qt describe our windows and folder lists so; once, before any of them is described.
void DescribeFormsToAssistiveTechnology();

}  // namespace vantrel
