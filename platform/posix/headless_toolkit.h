// The Linux toolkit is headless: the window exists only as the texts of its
// controls in memory, message boxes and opened addresses are written to
// stdout, and nothing waits for a user. These calls let a test play the user
// and read back what the program showed.
#pragma once

#include <string>
#include <vector>

#include "platform/toolkit.h"

// Everything the program asked the toolkit to show or open, in call order.
struct ToolkitCall {
  enum class Kind { ShowMessage, OpenAddress, SetCaption, SetVisualStyle };
  Kind kind;
  std::string text;     // the message, the address or the caption (GBK)
  std::string caption;  // ShowMessage: the box's caption
  int number = 0;       // ShowMessage: the buttons; SetVisualStyle: the scheme
};

// Builds the window from `description` as RunMainWindow does (controls with
// their texts, no list item selected) and runs its created event, but runs no
// message loop: the window stays until the next HeadlessCreateWindow or
// HeadlessReset. Clears the recorded calls first.
void HeadlessCreateWindow(const WindowDescription& description);
// Forgets the window and the recorded calls.
void HeadlessReset();

// Types `text` (GBK) into control `index`, replacing its content.
void HeadlessSetControlText(int index, const std::string& text);
// Picks item `item` (0-based) of the drop-down list `index`; -1 clears it.
void HeadlessSelectListItem(int index, int item);
// Clicks control `index`: runs its click handler, if it has one.
void HeadlessClick(int index);

std::string HeadlessWindowCaption();
const std::vector<ToolkitCall>& HeadlessCalls();
