// Loads TLVP's window dialogs, kept in a module of their own beside the
// executable so that a run on the terminal never loads the toolkit.
#pragma once

#include <string>

namespace tlv {

/// When the run wants windows (WindowsWanted), loads "tlvp_windows.so" from
/// `folder` and lets it register the window front end.  Returns "" when it
/// was loaded or not wanted, else what failed; the prompts then fall back to
/// the terminal.
std::string LoadWindowModule(const std::string& folder);

}  // namespace tlv
